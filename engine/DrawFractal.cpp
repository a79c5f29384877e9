#include "DrawFractal.h"

#include "DrawRun.h"
#include "FractalCatalogue.h"

namespace zv {

void DrawFractal(ParameterModel& model, std::uint8_t FractalType, RunHost& host,
                 RandomSource& random) {
    if (model.Canvas == nullptr) {
        return;
    }
    DrawRun run(model, *model.Canvas, host, random);
    model.RecursionsDone = 0;
    model.ElementsDrawn = 0;
    // The hourglass goes also when a figure fails half-way (memory running
    // out): the caller reports that and the user draws on.
    struct Hourglass {
        Canvas& canvas;
        explicit Hourglass(Canvas& c) : canvas(c) { canvas.SetMousePointer(HourglassPointer); }
        ~Hourglass() { canvas.SetMousePointer(DefaultPointer); }
        Hourglass(const Hourglass&) = delete;
        Hourglass& operator=(const Hourglass&) = delete;
    } hourglass(run.canvas);
    run.canvas.Clear();
    if (!run.BeginElementMarks()) {
        return;
    }

    // A type drawn in a mode it does not offer leaves the cleared canvas empty.
    if (const FractalTypeRow* type = catalogueRowAt(FractalType)) {
        if (const DrawModeRow* mode = type->mode(type->drawMode(model)); mode && mode->offered()) {
            mode->draw(run);
        }
    }
}

} // namespace zv
