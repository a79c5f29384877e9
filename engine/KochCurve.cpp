// The Koch curve: bumps drawn level by level over the segments of the fix point
// polyline, or a snowflake drawn by the turtle on the first two fix points.

#include "Algorithms.h"
#include "DrawRun.h"
#include "Numeric.h"
#include "TurtleGraphicsCls.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace zv {

namespace {

// Levels beyond this are never drawn. Each level multiplies the bumps by 4, so
// a run to level 64 would need 4^63 bumps: no picture that can be finished
// changes, while the recursion depth (the call stack) stays bounded for any
// CalcDepth up to 2^31 - 1.
constexpr std::int32_t MaxKochLevel = 64;

// Height of the apex over the segment, as a fraction of its length (a touch
// flatter than the equilateral 0.2887).
constexpr double ApexFactor = 0.285;

class KochBumps {
public:
    explicit KochBumps(DrawRun& run)
        : run_(run), depth_(std::min(run.model.CalcDepth, MaxKochLevel)) {}

    // The apex lies to the left of A -> B on the screen (y down): above a
    // segment drawn from left to right.
    void Draw(const FixPoint& A, const FixPoint& B, std::int32_t level) {
        if (level > depth_) {
            return;
        }
        if (!run_.ContinueBeforeElement()) {
            return;
        }
        const double dx = B.X - A.X;
        const double dy = B.Y - A.Y;
        const FixPoint P{A.X + dx / 3, A.Y + dy / 3};
        const FixPoint Q{(A.X + B.X) / 2 + dy * ApexFactor, (A.Y + B.Y) / 2 - dx * ApexFactor};
        const FixPoint R{B.X - dx / 3, B.Y - dy / 3};
        run_.Line(P.X, P.Y, Q.X, Q.Y, run_.ElementColor());
        run_.Line(Q.X, Q.Y, R.X, R.Y, run_.ElementColor());
        run_.CountElements(2);
        run_.CountRecursions(1);
        run_.YieldToEvents();
        Draw(A, P, level + 1);
        Draw(P, Q, level + 1);
        Draw(Q, R, level + 1);
        Draw(R, B, level + 1);
    }

private:
    DrawRun& run_;
    std::int32_t depth_;
};

void DrawSegmentWithBumps(DrawRun& run, const FixPoint& a, const FixPoint& b) {
    // Lines with a NaN end are skipped but counted (DrawRun::Line).
    run.Line(a.X, a.Y, b.X, b.Y, run.ElementColor());
    run.CountElements(1);
    KochBumps(run).Draw(a, b, 1);
}

} // namespace

void DrawKochCurve(DrawRun& run) {
    // Copied: a handler running while the run yields must not pull the list
    // from under the recursion.
    const std::vector<FixPoint> points = run.model.KochCurve.FixPoints;
    ForEachSegment(run, points, run.model.KochCurve.ConnectLast,
                   [&](const FixPoint& a, const FixPoint& b) { DrawSegmentWithBumps(run, a, b); });
}

void DrawKochCurveByTurtle(DrawRun& run) {
    const std::vector<FixPoint>& points = run.model.KochCurve.FixPoints;
    if (points.size() < 2) {
        return;
    }
    const FixPoint& A = points[0];
    const FixPoint& B = points[1];
    const std::int32_t D = run.model.CalcDepth;
    TurtleGraphicsCls turtle(run);
    turtle.SetStartStates(A.X, A.Y, HeadingAngle(A, B));
    turtle.InitiatorString = "F--F--F";
    turtle.GeneratorString = "F+F--F+F";
    // The side shrinks with the full depth while the turtle stops rewriting
    // after 7 passes, so deeper runs draw a smaller snowflake. 3^D overflows to
    // infinity (a zero step) rather than to anything undefined.
    const double dx = B.X - A.X;
    const double dy = B.Y - A.Y;
    turtle.Distance = std::sqrt(dx * dx + dy * dy) / std::pow(3.0, D);
    turtle.Delta = 60.0 / 180.0 * TurtlePi;
    // Depths beyond 16 bits are clamped to 32767; the turtle makes 7 passes
    // for any depth from 7 on, so the figure is the same.
    turtle.Depth = clampToInt<std::int16_t>(D);
    turtle.Draw();
}

std::optional<double> KochCurveElements(const ParameterModel& model) {
    const std::int32_t depth = std::min(model.CalcDepth, MaxRecursionLevel);
    const double segments = static_cast<double>(model.KochCurve.FixPoints.size()) -
                            (model.KochCurve.ConnectLast ? 0 : 1);
    return segments * (2 * GeometricSum(4, depth - 1) + 1);
}

} // namespace zv
