#pragma once
// What the headless renderer takes from a file's general section: the values
// collected in file order into a plain struct, then turned into the numbers a
// run needs (area size, colours, depth).

#include "FileMod.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace zv {

inline constexpr int MaxAreaSide = 4096; // pixels; a bigger picture is refused

struct RenderSettings {
    int AreaWidth = 200; // pixels
    int AreaHeight = 250;
    std::int32_t BackColor = 0xFFFFFF;
    std::int32_t CanvasForeColor = 0; // the drawing colour swatch
    std::uint8_t RandomForeColor = 0; // check state: 1 random colours, 2 greyed
    std::int32_t CalcDepth = 10;
};

// The general section's texts turned into numbers. A text that is no usable
// number fails on the line it stands on in a file of one value per line.
std::optional<RenderSettings> renderSettingsFrom(const GeneralValues& values, ReadFailure& failure);

// The model's ForeColor for a run of the given type in the draw mode its
// record stores, by the window's rule (foreColorForRun).
std::int32_t runForeColor(const RenderSettings& settings, std::uint8_t fractalType,
                          const FractalParameters& records);

} // namespace zv
