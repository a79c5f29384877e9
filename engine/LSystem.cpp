// The L-system type: the user's strings and angle drawn by the turtle.

#include "Algorithms.h"
#include "DrawRun.h"
#include "Numeric.h"
#include "TurtleGraphicsCls.h"

#include <algorithm>
#include <cstdint>
#include <string>

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

// Every character of the rewritten word is one element; each pass rewrites
// every F, and the turtle makes at most RewriteWalk::MaxPasses passes.
std::optional<double> LSystemElements(const ParameterModel& model) {
    const auto letters = [](const std::string& w) {
        return static_cast<double>(std::count(w.begin(), w.end(), 'F'));
    };
    const LSystemParams& params = model.LSystem;
    double length = static_cast<double>(params.InitiatorString.size());
    double fs = letters(params.InitiatorString);
    const double generator = static_cast<double>(params.GeneratorString.size());
    for (std::int32_t pass = 0;
         pass < std::min<std::int32_t>(model.CalcDepth, RewriteWalk::MaxPasses); ++pass) {
        length += fs * (generator - 1);
        fs *= letters(params.GeneratorString);
    }
    return length;
}

} // namespace zv
