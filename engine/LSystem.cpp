// The L-system type: the user's strings and angle drawn by the turtle.

#include "Algorithms.h"
#include "DrawRun.h"
#include "Numeric.h"
#include "TurtleGraphicsCls.h"

#include <cstdint>

namespace zv {

void DrawLSystem(DrawRun& run) {
    const LSystemParams& params = run.model.LSystem;
    const FixPoint& start = params.FixPoints[0];
    TurtleGraphicsCls turtle(run);
    turtle.SetStartStates(start.X, start.Y, HeadingAngle(start, params.FixPoints[1]));
    turtle.InitiatorString = params.InitiatorString;
    turtle.GeneratorString = params.GeneratorString;
    turtle.Distance = params.LineLength;
    turtle.Delta = params.Delta / 180 * TurtlePi;
    // Only 7 passes are ever made, so clamping a depth beyond 16 bits changes nothing.
    turtle.Depth = clampToInt<std::int16_t>(run.model.CalcDepth);
    turtle.Draw();
}

} // namespace zv
