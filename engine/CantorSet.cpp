// Cantor set: stacked horizontal bars, each level keeping the even-numbered
// pieces of the bars above. Canvas pixels, y down; a level is one bar height
// below the previous one.
#include "Algorithms.h"
#include "DrawRun.h"
#include "Numeric.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace zv {

namespace {

// A bar is cut into 2k - 1 parts, which must fit in a byte; more pieces than
// that are drawn as 128, the most the cut can express. k = 0 keeps nothing,
// so only the top bar is drawn.
constexpr int MaxCantorPieces = 128;

// Each demo level doubles the list of pieces; level 15 already cuts bars of
// 1/20000 pixel on the widest drawing area, so deeper requests stop there.
constexpr std::int32_t MaxDemoLevels = 15;

// The level colours run from black towards this light grey (224, 224, 224).
constexpr double DemoLastLevelColor = 14737632.0;

struct CantorRecursion {
    DrawRun& run;
    int parts;          // N = 2k - 1, odd
    double stepHeight;  // pixels
    std::int32_t depth; // deepest level drawn

    // Draws the surviving pieces of the bar from xL to xR whose top is at y,
    // each followed at once by its own subdivision (depth first).
    void Subdivide(double xL, double xR, double y, std::int32_t level) {
        if (level > depth) {
            return;
        }
        for (int i = 0; i <= parts; i += 2) {
            if (!run.ContinueBeforeElement()) {
                return;
            }
            const double xa = xL + (static_cast<double>(i) / parts) * (xR - xL);
            const double xb = xL + (static_cast<double>(i + 1) / parts) * (xR - xL);
            run.Box(xa, y, xb, y + stepHeight, run.ElementColor());
            run.CountRecursions(1);
            run.CountElements(1);
            run.YieldToEvents();
            Subdivide(xa, xb, y + stepHeight, level + 1);
        }
    }
};

} // namespace

void DrawCantorSet(DrawRun& run) {
    const CantorSetParams& params = run.model.CantorSet;
    const int pieces = std::min<int>(params.ElementsCount, MaxCantorPieces);
    const double h = params.StepHeight;
    const double x0 = params.FixPoints[0].X;
    const double y0 = params.FixPoints[0].Y;
    const double x1 = params.FixPoints[1].X;

    run.Box(x0, y0, x1, y0 + h, run.ElementColor());
    run.CountElements(1);
    if (pieces == 0) {
        return;
    }
    CantorRecursion recursion{run, 2 * pieces - 1, h, run.RecursionDepth()};
    recursion.Subdivide(x0, x1, y0 + h, 1);
}

void DrawCantorSetDemo(DrawRun& run) {
    const std::int32_t h = run.model.CantorSet.StepHeight;
    const double topRight = run.canvas.ScaleWidth();
    run.Box(0.0, 0.0, topRight, h, run.ElementColor());

    const std::int32_t levels = std::min(run.model.CalcDepth, MaxDemoLevels);
    // Left ends of the current level's pieces, as fractions of the canvas width.
    std::vector<double> lefts{0.0};
    double powerOfThree = 1.0; // 3^level, exact in a double for these levels
    for (std::int32_t level = 1; level <= levels; ++level) {
        powerOfThree *= 3.0;
        const std::int32_t color = clampToInt<std::int32_t>(DemoLastLevelColor / levels * level);
        const double width = 1.0 / powerOfThree;
        const double gapEnd = 2.0 / powerOfThree;
        const std::int32_t top = h * level;
        const std::int32_t bottom = h * (level + 1);

        std::vector<double> next(2 * lefts.size());
        for (std::size_t j = 0; j < lefts.size(); ++j) {
            if (!run.ContinueBeforeElement()) {
                return;
            }
            next[2 * j] = lefts[j];
            const double w1 = run.canvas.ScaleWidth();
            run.Box(w1 * next[2 * j], top, w1 * (next[2 * j] + width), bottom, color);
            next[2 * j + 1] = lefts[j] + gapEnd;
            const double w2 = run.canvas.ScaleWidth();
            run.Box(w2 * next[2 * j + 1], top, w2 * (next[2 * j + 1] + width), bottom, color);
            run.CountElements(2);
            run.YieldToEvents();
        }
        lefts = std::move(next);
    }
}

std::optional<double> CantorSetElements(const ParameterModel& model) {
    const std::int32_t depth = std::min(model.CalcDepth, MaxRecursionLevel);
    return GeometricSum(std::min<int>(model.CantorSet.ElementsCount, MaxCantorPieces), depth);
}

} // namespace zv
