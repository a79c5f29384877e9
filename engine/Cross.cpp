// Cross: every segment of the fix point polyline gets a bar across its
// midpoint, and the four half-arms so formed grow crosses of their own.
// Canvas pixels, y down; all geometry in doubles.
#include "Algorithms.h"
#include "DrawRun.h"

#include <vector>

namespace zv {

namespace {

struct CrossRecursion {
    DrawRun& run;
    double factor;      // g^2: a bar is 2 g^2 times as long as its segment
    std::int32_t depth; // deepest level drawn

    void Grow(const FixPoint& a, const FixPoint& b, std::int32_t level) {
        // The level test comes before the pause test: a call below the last level
        // draws nothing, and letting it wait would make a single-step resume
        // draw nothing at all.
        if (level > depth) {
            return;
        }
        if (!run.ContinueBeforeElement()) {
            return;
        }
        const double dx = b.X - a.X;
        const double dy = b.Y - a.Y;
        const FixPoint m{a.X + dx / 2, a.Y + dy / 2};
        // The bar runs along (dy, dx): across horizontal and vertical segments,
        // along segments at 45 degrees.
        const FixPoint e1{m.X - dy * factor, m.Y - dx * factor};
        const FixPoint e2{m.X + dy * factor, m.Y + dx * factor};
        run.Line(e1.X, e1.Y, e2.X, e2.Y, run.ElementColor());
        run.CountRecursions(1);
        run.CountElements(1);
        run.YieldToEvents();
        Grow(m, a, level + 1);
        Grow(m, b, level + 1);
        Grow(m, e1, level + 1);
        Grow(m, e2, level + 1);
    }

    // One segment of the base figure: the line itself, then its crosses. The
    // base lines are not paused before; only a cancel stops them.
    void Segment(const FixPoint& a, const FixPoint& b) {
        run.Line(a.X, a.Y, b.X, b.Y, run.ElementColor());
        run.CountElements(1);
        Grow(a, b, 1);
    }
};

} // namespace

void DrawCross(DrawRun& run) {
    const CrossParams& params = run.model.Cross;
    // Copied: a handler running while the run yields must not pull the list
    // from under the recursion.
    const std::vector<FixPoint> points = params.FixPoints;
    const bool connectLast = params.ConnectLast;
    const double g = params.DecreaseFactor;
    CrossRecursion recursion{run, g * g, run.RecursionDepth()};

    ForEachSegment(run, points, connectLast,
                   [&](const FixPoint& a, const FixPoint& b) { recursion.Segment(a, b); });
}

std::optional<double> CrossElements(const ParameterModel& model) {
    const std::int32_t depth = std::min(model.CalcDepth, MaxRecursionLevel);
    const double segments =
        static_cast<double>(model.Cross.FixPoints.size()) - (model.Cross.ConnectLast ? 0 : 1);
    return segments * (GeometricSum(4, depth - 1) + 1);
}

} // namespace zv
