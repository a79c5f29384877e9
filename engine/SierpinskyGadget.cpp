// Sierpinski gadget: the triangle of the three fix points with its middle
// triangles cut out (integer pixels), and the chaos game over the unit square
// mapped onto the whole canvas (fixed corners top left, bottom middle, top
// right). Canvas pixels, y down.
#include "Algorithms.h"
#include "DrawRun.h"
#include "Numeric.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>

namespace zv {

namespace {

constexpr std::int32_t DemoStartColor = rgb(0, 255, 0);
constexpr std::int32_t DemoPointColor = rgb(255, 0, 0);
constexpr std::int32_t DemoJumpColor = rgb(192, 192, 192);
constexpr float DemoPointRadius = 2.0f;
constexpr int DemoJumpMilliseconds = 100;
// The chaos game refreshes and yields only this often: single pixels are cheap
// and the event loop would otherwise dominate the run.
constexpr std::int64_t ChaosPointsPerRefresh = 10;

// Midpoint of one coordinate, halves to the even neighbour. The difference is
// taken in 64 bits because the ends may lie at opposite ends of the 32-bit
// range; the result lies between them, so it always fits.
std::int32_t midpoint(std::int32_t first, std::int32_t second) {
    const double half = static_cast<double>(std::int64_t{second} - first) / 2;
    return clampToInt<std::int32_t>(half + first);
}

IntPoint midpoint(const IntPoint& a, const IntPoint& b) {
    return {midpoint(a.x, b.x), midpoint(a.y, b.y)};
}

struct GadgetRecursion {
    DrawRun& run;
    std::int32_t depth; // deepest level cut
    bool visible;       // false when a corner was NaN: the cuts are counted, not drawn

    void Cut(const IntPoint& a, const IntPoint& b, const IntPoint& c, std::int32_t level) {
        if (level > depth) {
            return;
        }
        if (!run.ContinueBeforeElement()) {
            return;
        }
        const IntPoint mab = midpoint(a, b);
        const IntPoint mbc = midpoint(b, c);
        const IntPoint mac = midpoint(a, c);
        run.canvas.SetFillColor(run.ElementColor());
        if (visible) {
            const std::array<IntPoint, 3> hole{mab, mbc, mac};
            run.canvas.Polygon(hole);
        }
        run.CountRecursions(1);
        run.CountElements(1);
        run.canvas.Refresh();
        run.YieldToEvents();
        Cut(a, mab, mac, level + 1);
        Cut(mab, b, mbc, level + 1);
        Cut(mac, mbc, c, level + 1);
    }
};

// One jump of the chaos game halfway towards a randomly chosen corner of the
// unit square's triangle: (0, 0) for r <= 1/3, (0.5, 1) for 1/3 < r < 2/3,
// (1, 0) for r >= 2/3. The corner is picked by index, not by branches: a
// random branch is mispredicted on most points. x and y stay in [0, 1], so
// adding a zero leaves them exact.
void chaosStep(RandomSource& random, double& x, double& y) {
    static constexpr double cornerX[3] = {0, 0.5, 1};
    static constexpr double cornerY[3] = {0, 1, 0};
    const float r = random.NextFloat();
    const int corner = (r > 1.0f / 3.0f ? 1 : 0) + (r >= 2.0f / 3.0f ? 1 : 0);
    x = (x + cornerX[corner]) / 2;
    y = (y + cornerY[corner]) / 2;
}

// A unit-square point on the canvas, to whole pixels; nullopt when the canvas
// reports a size that is not a number.
std::optional<IntPoint> toPixel(const Canvas& canvas, double x, double y) {
    const auto px = toInt<std::int32_t>(canvas.ScaleWidth() * x);
    const auto py = toInt<std::int32_t>(canvas.ScaleHeight() * y);
    if (!px || !py) {
        return std::nullopt;
    }
    return IntPoint{*px, *py};
}

void drawDemoPoint(DrawRun& run, double x, double y, std::int32_t color) {
    if (const auto p = toPixel(run.canvas, x, y)) {
        run.Circle(p->x, p->y, DemoPointRadius, color);
    }
}

} // namespace

void DrawSierpinskyGadget(DrawRun& run) {
    const auto& fix = run.model.SierpinskyGadget.FixPoints;
    std::array<IntPoint, 3> corners{};
    bool visible = true;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const auto x = toInt<std::int32_t>(fix[i].X);
        const auto y = toInt<std::int32_t>(fix[i].Y);
        visible = visible && x && y;
        corners[i] = {x.value_or(0), y.value_or(0)};
    }
    run.canvas.SetFillColor(run.canvas.ForeColor());
    if (visible) {
        run.canvas.Polygon(corners);
    }
    GadgetRecursion recursion{run, run.RecursionDepth(), visible};
    recursion.Cut(corners[0], corners[1], corners[2], 1);
}

// CalcDepth is the number of points. The counter is wider than CalcDepth, so
// every value up to 2^31 - 1 is played in full (cancel ends it early). The
// start point comes from the run's generator, which its owner seeds: a fixed
// seed replays a game exactly.
void PlaySierpinskyChaosGame(DrawRun& run) {
    double x = run.random.NextDouble();
    double y = run.random.NextDouble();
    const std::int64_t points = run.model.CalcDepth;
    // The canvas size, read again only after the host handled events: asking
    // the canvas twice per point cost more than the point itself.
    std::uint64_t sizeRead = run.EventPasses();
    double width = 0;
    double height = 0;
    bool sizeInRange = false;
    auto readSize = [&] {
        width = run.canvas.ScaleWidth();
        height = run.canvas.ScaleHeight();
        constexpr double IntMax = std::numeric_limits<std::int32_t>::max();
        sizeInRange = width >= 0 && width <= IntMax && height >= 0 && height <= IntMax;
    };
    readSize();
    std::int64_t untilRefresh = ChaosPointsPerRefresh;
    for (std::int64_t i = 1; i <= points; ++i) {
        if (!run.ContinueBeforeElement()) {
            return;
        }
        if (run.EventPasses() != sizeRead) {
            sizeRead = run.EventPasses();
            readSize();
        }
        chaosStep(run.random, x, y);
        const std::int32_t color = run.ElementColor();
        if (sizeInRange) {
            // x and y stay in [0, 1], so width * x lies in [0, width]: the
            // nearest whole number needs no NaN or range check, only the
            // rounding of nearest() for a value that is not negative.
            constexpr double TwoTo52 = 4503599627370496.0;
            run.canvas.SetPixelV(static_cast<std::int32_t>((width * x + TwoTo52) - TwoTo52),
                                 static_cast<std::int32_t>((height * y + TwoTo52) - TwoTo52),
                                 color);
        } else if (const auto px = toInt<std::int32_t>(width * x),
                   py = toInt<std::int32_t>(height * y);
                   px && py) {
            run.canvas.SetPixelV(*px, *py, color);
        }
        run.CountElements(1);
        if (--untilRefresh == 0) {
            untilRefresh = ChaosPointsPerRefresh;
            run.canvas.Refresh();
            run.YieldToEvents();
        }
    }
}

// The chaos game slowed down: every jump is shown as a line from the previous
// point, in fixed colours whatever the user chose.
void DrawSierpinskyDemo(DrawRun& run) {
    double x = run.random.NextDouble();
    double y = run.random.NextDouble();
    drawDemoPoint(run, x, y, DemoStartColor);
    const std::int64_t points = run.model.CalcDepth;
    for (std::int64_t i = 1; i <= points; ++i) {
        if (!run.ContinueBeforeElement()) {
            return;
        }
        const double fromX = x;
        const double fromY = y;
        chaosStep(run.random, x, y);
        const double w = run.canvas.ScaleWidth();
        const double h = run.canvas.ScaleHeight();
        run.Line(w * fromX, h * fromY, w * x, h * y, DemoJumpColor);
        drawDemoPoint(run, x, y, DemoPointColor);
        run.CountElements(1);
        run.host.Sleep(DemoJumpMilliseconds);
        run.canvas.Refresh();
        run.YieldToEvents();
    }
}

std::optional<double> SierpinskyGadgetElements(const ParameterModel& model) {
    const std::int32_t depth = std::min(model.CalcDepth, MaxRecursionLevel);
    return depth > 0 ? GeometricSum(3, depth - 1) : 0.0;
}

std::optional<double> SierpinskyChaosGameElements(const ParameterModel& model) {
    return model.CalcDepth;
}

} // namespace zv
