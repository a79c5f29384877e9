#pragma once
// Conversions from double, the only way a real becomes an integer or a float in
// the engine. A double outside the target's range is never cast directly (that
// is undefined behaviour): the helpers clamp it instead. NaN has no sensible
// place on the canvas, so the optional forms report it and the algorithms skip
// drawing that element (it is still counted, so the counters keep their
// closed forms).

#include <cmath>
#include <concepts>
#include <limits>
#include <optional>

namespace zv {

// Nearest integer, halves to the even neighbour (the default rounding mode).
// A magnitude below 2^52 plus 2^52 has no fraction bits left, so that sum
// rounds as std::nearbyint would, without its library call (the chaos game
// rounds two coordinates per point).
inline double nearest(double v) {
    constexpr double twoTo52 = 4503599627370496.0;
    const double magnitude = std::fabs(v);
    if (!(magnitude < twoTo52)) {
        return v; // already whole, infinite or NaN
    }
    return std::copysign((magnitude + twoTo52) - twoTo52, v);
}

// nearest(v) clamped to Int's range; NaN gives nullopt.
template <std::integral Int> std::optional<Int> toInt(double v) {
    if (std::isnan(v)) {
        return std::nullopt;
    }
    const double r = nearest(v);
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<Int>::max());
    if (r <= lo) {
        return std::numeric_limits<Int>::min();
    }
    if (r >= hi) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(r);
}

// nearest(v) clamped to Int's range; NaN gives 0.
template <std::integral Int> Int clampToInt(double v) { return toInt<Int>(v).value_or(Int{0}); }

// v as a float, clamped to the finite float range; NaN gives nullopt.
inline std::optional<float> toFloat(double v) {
    if (std::isnan(v)) {
        return std::nullopt;
    }
    constexpr double hi = static_cast<double>(std::numeric_limits<float>::max());
    if (v >= hi) {
        return std::numeric_limits<float>::max();
    }
    if (v <= -hi) {
        return -std::numeric_limits<float>::max();
    }
    return static_cast<float>(v);
}

} // namespace zv
