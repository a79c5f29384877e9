#include "DrawFractal.h"

#include "Algorithms.h"
#include "DrawRun.h"

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

    // A type drawn in a mode it does not support leaves the cleared canvas empty.
    switch (FractalType) {
    case CantorSetType:
        if (model.CantorSet.DrawMode == RecursiveMode) {
            DrawCantorSet(run);
        } else if (model.CantorSet.DrawMode == DemoMode) {
            DrawCantorSetDemo(run);
        }
        break;
    case CrossType:
        if (model.Cross.DrawMode == RecursiveMode) {
            DrawCross(run);
        }
        break;
    case SierpinskyGadgetType:
        if (model.SierpinskyGadget.DrawMode == RecursiveMode) {
            DrawSierpinskyGadget(run);
        } else if (model.SierpinskyGadget.DrawMode == ChaosGameMode) {
            PlaySierpinskyChaosGame(run);
        } else if (model.SierpinskyGadget.DrawMode == DemoMode) {
            DrawSierpinskyDemo(run);
        }
        break;
    case KochCurveType:
        if (model.KochCurve.DrawMode == RecursiveMode) {
            DrawKochCurve(run);
        } else if (model.KochCurve.DrawMode == TurtleGraphicsMode) {
            DrawKochCurveByTurtle(run);
        }
        break;
    case LSystemType:
        DrawLSystem(run);
        break;
    default:
        break;
    }

    run.canvas.SetMousePointer(DefaultPointer);
}

} // namespace zv
