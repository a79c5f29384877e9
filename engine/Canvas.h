#pragma once
// The drawing operations the algorithms use. Pixels, origin top-left, y down.
// Colours are 24-bit RGB, red in the low byte.

#include <cstdint>
#include <span>

namespace zv {

struct IntPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const IntPoint&) const = default;
};

inline constexpr int DefaultPointer = 0;
inline constexpr int HourglassPointer = 11;

class Canvas {
public:
    virtual ~Canvas() = default;

    // Erase everything to the background colour.
    virtual void Clear() = 0;
    virtual void SetMousePointer(int pointer) = 0;

    virtual void Line(float x1, float y1, float x2, float y2, std::int32_t color) = 0;
    // Axis-parallel bar between two opposite corners, filled with its colour.
    virtual void Box(float x1, float y1, float x2, float y2, std::int32_t color) = 0;
    virtual void Circle(float x, float y, float radius, std::int32_t color) = 0;
    virtual void SetPixelV(std::int32_t x, std::int32_t y, std::int32_t color) = 0;
    // Outlined with the canvas pen (its fore colour), filled with the fill colour.
    virtual void Polygon(std::span<const IntPoint> points) = 0;

    virtual void SetFillColor(std::int32_t color) = 0;
    // The canvas's own drawing colour (the ForeColor swatch).
    virtual std::int32_t ForeColor() const = 0;
    // Inner size in pixels.
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;

    // Make what was drawn since the last refresh visible.
    virtual void Refresh() = 0;
};

} // namespace zv
