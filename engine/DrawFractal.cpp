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
    run.canvas.SetMousePointer(HourglassPointer);
    run.canvas.Clear();
    if (!run.BeginElementMarks()) {
        run.canvas.SetMousePointer(DefaultPointer);
        return;
    }

    // A type drawn in a mode it does not offer leaves the cleared canvas empty.
    if (const FractalTypeRow* type = catalogueRowAt(FractalType)) {
        if (const DrawModeRow* mode = type->mode(type->drawMode(model)); mode && mode->offered()) {
            mode->draw(run);
        }
    }

    run.canvas.SetMousePointer(DefaultPointer);
}

} // namespace zv
