#include "TurtleGraphicsCls.h"

#include "DrawRun.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace zv {

double HeadingAngle(const FixPoint& A, const FixPoint& B) {
    const double dx = B.X - A.X;
    const double dy = B.Y - A.Y;
    if (dx > 0) {
        return std::atan(dy / dx);
    }
    if (dx < 0) {
        return std::atan(dy / dx) + TurtlePi;
    }
    if (std::isnan(dx)) {
        return dx;
    }
    const double sign = (dy > 0) ? 1.0 : (dy < 0 ? -1.0 : 0.0);
    return sign * (TurtlePi / 2);
}

RewriteWalk::RewriteWalk(std::string_view initiator, std::string_view generator, int passes)
    : initiator_(initiator), generator_(generator), passes_(std::clamp(passes, 0, MaxPasses)) {}

void TurtleGraphicsCls::SetStartStates(double X, double Y, double Alpha) {
    x_ = X;
    y_ = Y;
    Turn(Alpha);
}

void TurtleGraphicsCls::Turn(double alpha) {
    alpha_ = alpha;
    const auto bits = std::bit_cast<std::uint64_t>(alpha);
    // Fibonacci hashing: the top bits of the product mix all bits of the heading.
    static_assert(TurnMemoSize == 64);
    TurnMemo& memo = turnMemo_[(bits * 0x9E3779B97F4A7C15u) >> 58];
    if (memo.bits != bits) {
        memo = {bits, std::cos(alpha), std::sin(alpha)};
    }
    cosAlpha_ = memo.cosAlpha;
    sinAlpha_ = memo.sinAlpha;
}

void TurtleGraphicsCls::Move(bool drawLine) {
    const double fromX = x_;
    const double fromY = y_;
    x_ = x_ + cosAlpha_ * Distance;
    y_ = y_ + sinAlpha_ * Distance;
    if (!drawLine) {
        return;
    }
    // A NaN end (from NaN or infinite input) is not drawn; the step still
    // counts as an element.
    run_.Line(fromX, fromY, x_, y_, run_.ElementColor());
}

void TurtleGraphicsCls::Execute(char command) {
    switch (command) {
    case 'F':
        Move(true);
        break;
    case 'f':
        Move(false);
        break;
    case '+':
        Turn(alpha_ + Delta);
        break;
    case '-':
        Turn(alpha_ - Delta);
        break;
    case '[':
        if (top_ == std::numeric_limits<std::int16_t>::max()) {
            ++unsavedOpenLevels_;
            break;
        }
        ++top_;
        if (static_cast<std::size_t>(top_) < stack_.size()) {
            stack_[static_cast<std::size_t>(top_)] = {x_, y_, alpha_, cosAlpha_, sinAlpha_};
        } else {
            stack_.push_back({x_, y_, alpha_, cosAlpha_, sinAlpha_});
        }
        break;
    case ']':
        if (unsavedOpenLevels_ > 0) {
            --unsavedOpenLevels_;
        } else if (top_ >= 0) {
            const State& saved = stack_[static_cast<std::size_t>(top_)];
            x_ = saved.X;
            y_ = saved.Y;
            alpha_ = saved.Alpha;
            cosAlpha_ = saved.CosAlpha;
            sinAlpha_ = saved.SinAlpha;
            --top_;
        }
        break;
    default:
        break;
    }
}

void TurtleGraphicsCls::Draw() {
    stack_.clear();
    top_ = -1;
    unsavedOpenLevels_ = 0;
    if (Depth > RewriteWalk::MaxPasses) {
        Depth = RewriteWalk::MaxPasses;
    }
    RewriteWalk walk(InitiatorString, GeneratorString, Depth);
    std::string_view run;
    while (walk.NextRun(run)) {
        for (const char command : run) {
            if (!run_.ContinueBeforeElement()) {
                return;
            }
            Execute(command);
            run_.CountElements(1);
            run_.YieldToEvents();
        }
    }
}

} // namespace zv
