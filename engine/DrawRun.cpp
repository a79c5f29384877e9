#include "DrawRun.h"

#include "Numeric.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace zv {

namespace {

// prefix followed by value in decimal, written into buffer: a status text
// every 15 elements should not cost an allocation.
std::string_view counterText(std::array<char, 64>& buffer, std::string_view prefix,
                             std::int64_t value) {
    char* const end = std::copy(prefix.begin(), prefix.end(), buffer.data());
    char* const last = std::to_chars(end, buffer.data() + buffer.size(), value).ptr;
    return {buffer.data(), static_cast<std::size_t>(last - buffer.data())};
}

} // namespace

std::int32_t DrawRun::RandomElementColor() {
    // At most one of the 16 distinct colours is rejected, so the loop ends and
    // the choice stays uniform over the others. The generator is seeded once
    // per program (or by a fixed seed), never per element: re-seeding from the
    // clock would give every element of one clock tick the same colour.
    const std::int32_t background = host.BackColor();
    for (;;) {
        const std::int32_t color = Palette[static_cast<std::size_t>(random.NextIndex(16))];
        if (color != background) {
            return color;
        }
    }
}

void DrawRun::WaitWhilePaused() {
    ++eventPasses_;
    while (model.GlobalState == PauseMode) {
        host.PauseNap(100);
        host.YieldToEvents();
    }
    if (model.GlobalState != EditMode && model.PauseAfterEachOp) {
        host.EnterPauseMode();
    }
}

void DrawRun::RefreshElementsText() {
    ++eventPasses_;
    host.Sleep(10);
    std::array<char, 64> buffer;
    host.SetElementsText(counterText(buffer, "Elements drawn: ", model.ElementsDrawn));
}

void DrawRun::RefreshRecursionsText() {
    std::array<char, 64> buffer;
    host.SetRecursionsText(counterText(buffer, "Recursions: ", model.RecursionsDone));
}

void DrawRun::ClampedLine(double x1, double y1, double x2, double y2, std::int32_t color) {
    const auto a = toFloat(x1), b = toFloat(y1), c = toFloat(x2), d = toFloat(y2);
    if (a && b && c && d) {
        canvas.Line(*a, *b, *c, *d, color);
    }
}

void DrawRun::Box(double x1, double y1, double x2, double y2, std::int32_t color) {
    const auto a = toFloat(x1), b = toFloat(y1), c = toFloat(x2), d = toFloat(y2);
    if (a && b && c && d) {
        canvas.Box(*a, *b, *c, *d, color);
    }
}

void DrawRun::Circle(double x, double y, double radius, std::int32_t color) {
    const auto a = toFloat(x), b = toFloat(y), r = toFloat(radius);
    if (a && b && r) {
        canvas.Circle(*a, *b, *r, color);
    }
}

} // namespace zv
