#pragma once
// What every algorithm shares during one run: the element colour, the pause and
// cancel protocol, and the two counters with their status texts.

#include "Canvas.h"
#include "ParameterModel.h"
#include "Random.h"
#include "RunHost.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace zv {

// The classic 16-colour text-mode palette, as 24-bit RGB with red in the low byte.
inline constexpr std::array<std::int32_t, 16> Palette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

inline constexpr std::int32_t rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

// Deepest level any recursive figure descends to, whatever CalcDepth asks for:
// shrinking figures are below a pixel after about 60 levels, and a Cantor set
// of one piece per bar leaves any drawing area long before 4096. The limit keeps
// the native stack and the level counters small.
inline constexpr std::int32_t MaxRecursionLevel = 4096;

// 1 + n + n^2 + ... + n^depth as a double (0 for a negative depth): the
// element counts of the recursive figures, which only feed progress figures.
inline double GeometricSum(double n, std::int32_t depth) {
    double sum = 0;
    double term = 1;
    for (std::int32_t i = 0; i <= depth && std::isfinite(sum); ++i) {
        sum += term;
        term *= n;
    }
    return sum;
}

class DrawRun {
public:
    DrawRun(ParameterModel& model, Canvas& canvas, RunHost& host, RandomSource& random)
        : model(model), canvas(canvas), host(host), random(random),
          hostYields_(host.YieldsToEvents()) {}

    // After each element: lets the host handle its events (repaints, S, a cancel).
    void YieldToEvents() {
        if (hostYields_) {
            ++eventPasses_;
            host.YieldToEvents();
        }
    }

    // Changes whenever the host may have handled events (a yield, a sleep, a
    // pause), the only time the canvas can change its size: a figure may
    // keep what it read from the canvas until then.
    std::uint64_t EventPasses() const { return eventPasses_; }

    // The colour of the next element: ForeColor, or with ForeColor -1 a palette
    // colour drawn uniformly from those that differ from the background.
    std::int32_t ElementColor() {
        return model.ForeColor != RandomColor ? model.ForeColor : RandomElementColor();
    }

    // Waits in naps of 100 ms while the run is paused (a host may end a nap
    // early once the state changes); single-stepping then pauses again so the
    // next element waits for the next resume.
    void WaitWhilePaused();

    // The check before every element: wait while paused, then report whether the
    // run may go on (false once GlobalState is EditMode).
    bool ContinueBeforeElement() {
        if (model.GlobalState == PauseMode) {
            WaitWhilePaused();
        } else if (model.GlobalState == WorkingMode && model.PauseAfterEachOp) {
            // Single-stepping, resumed before the run came to wait (the key was
            // handled in the last element's yield): this element is the one
            // that resume allows, the next one waits again.
            ++eventPasses_;
            host.EnterPauseMode();
        }
        return model.GlobalState != EditMode;
    }
    bool Stopped() const { return model.GlobalState == EditMode; }

    // Asks the host for its first element mark (RunHost::NextElementMark);
    // true when the host let the run go on.
    bool BeginElementMarks() {
        const bool stoppedBefore = Stopped();
        nextMark_ = host.NextElementMark(model.ElementsDrawn);
        return stoppedBefore || !Stopped();
    }

    // Add to a counter; its status text is refreshed at every multiple of 15 of
    // the total and at every count made while paused.
    // Inline: these run once per element, and the refresh is the rare case.
    void CountElements(int count) {
        const std::uint8_t stateOnEntry = model.GlobalState;
        model.ElementsDrawn += count;
        if (model.ElementsDrawn >= nextMark_) {
            nextMark_ = host.NextElementMark(model.ElementsDrawn);
        }
        if (stateOnEntry == PauseMode || model.ElementsDrawn % 15 == 0) {
            RefreshElementsText();
        }
    }
    void CountRecursions(int count) {
        const std::uint8_t stateOnEntry = model.GlobalState;
        model.RecursionsDone += count;
        if (stateOnEntry == PauseMode || model.RecursionsDone % 15 == 0) {
            RefreshRecursionsText();
        }
    }

    // CalcDepth as a recursion limit: at most MaxRecursionLevel.
    std::int32_t RecursionDepth() const {
        return model.CalcDepth < MaxRecursionLevel ? model.CalcDepth : MaxRecursionLevel;
    }

    // Drawing with model coordinates (canvas pixels as doubles). They reach the
    // canvas as floats clamped to the float range; an element with a NaN
    // coordinate has no place on the canvas and is skipped (still counted by
    // the caller, so the counters keep their closed forms).
    void Line(double x1, double y1, double x2, double y2, std::int32_t color) {
        // Inline: every turtle step and every bump draws lines. NaN fails the
        // comparison and takes the careful way.
        constexpr double FloatMax = std::numeric_limits<float>::max();
        if (std::fabs(x1) <= FloatMax && std::fabs(y1) <= FloatMax && std::fabs(x2) <= FloatMax &&
            std::fabs(y2) <= FloatMax) {
            canvas.Line(static_cast<float>(x1), static_cast<float>(y1), static_cast<float>(x2),
                        static_cast<float>(y2), color);
        } else {
            ClampedLine(x1, y1, x2, y2, color);
        }
    }
    void Box(double x1, double y1, double x2, double y2, std::int32_t color);
    void Circle(double x, double y, double radius, std::int32_t color);

    ParameterModel& model;
    Canvas& canvas;
    RunHost& host;
    RandomSource& random;

private:
    bool hostYields_;
    std::uint64_t eventPasses_ = 0;
    std::int64_t nextMark_ = RunHost::NoElementMark;

    std::int32_t RandomElementColor();
    void RefreshElementsText();
    void RefreshRecursionsText();
    void ClampedLine(double x1, double y1, double x2, double y2, std::int32_t color);
};

// The base figure of the cross and the Koch curve: segment(a, b) for each
// segment of the polyline through points, then, when closed, from the last
// point back to the first (a single point closes onto itself). Only a cancel
// is tested between segments; the segments themselves pause and yield.
template <typename Segment>
void ForEachSegment(const DrawRun& run, const std::vector<FixPoint>& points, bool closed,
                    Segment segment) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        if (run.Stopped()) {
            return;
        }
        segment(points[i], points[i + 1]);
    }
    if (closed && !points.empty() && !run.Stopped()) {
        segment(points.back(), points.front());
    }
}

} // namespace zv
