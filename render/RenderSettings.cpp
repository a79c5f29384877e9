#include "RenderSettings.h"

#include "FractalCatalogue.h"

#include <cmath>

namespace zv {

namespace {

// Whole numbers in [low, high], from the user's locale or with a decimal point,
// rounded half to even like every other integer read from a file.
std::optional<std::int32_t> wholeNumber(const QString& text, std::int32_t low, std::int32_t high) {
    const std::optional<double> v = parseReal(text);
    if (!v || !std::isfinite(*v)) {
        return std::nullopt;
    }
    const double r = std::nearbyint(*v);
    if (r < low || r > high) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(r);
}

} // namespace

std::optional<RenderSettings> renderSettingsFrom(const GeneralValues& values,
                                                 ReadFailure& failure) {
    RenderSettings s;
    const QString side = QStringLiteral("a whole number of pixels from 1 to %1").arg(MaxAreaSide);
    const std::optional<std::int32_t> width = wholeNumber(values.AreaWidth, 1, MaxAreaSide);
    if (!width) {
        failure = {5, side, values.AreaWidth};
        return std::nullopt;
    }
    const std::optional<std::int32_t> height = wholeNumber(values.AreaHeight, 1, MaxAreaSide);
    if (!height) {
        failure = {6, side, values.AreaHeight};
        return std::nullopt;
    }
    const std::optional<std::int32_t> depth = wholeNumber(values.CalcDepth, 0, INT32_MAX);
    if (!depth) {
        failure = {10, QStringLiteral("a calculation depth, a whole number 0 or more"),
                   values.CalcDepth};
        return std::nullopt;
    }
    s.AreaWidth = *width;
    s.AreaHeight = *height;
    s.BackColor = values.BackColor;
    s.CanvasForeColor = values.ForeColor;
    s.RandomForeColor = values.RandomForeColor;
    s.CalcDepth = *depth;
    return s;
}

std::int32_t runForeColor(const RenderSettings& settings, std::uint8_t fractalType,
                          const FractalParameters& records) {
    const FractalTypeRow* row = catalogueRowAt(fractalType);
    const DrawModeRow* mode = row ? row->mode(row->drawMode(records)) : nullptr;
    return foreColorForRun(settings.RandomForeColor, mode && mode->drawsInBackColor,
                           settings.CanvasForeColor, settings.BackColor);
}

} // namespace zv
