#pragma once
// The persistent picture of the drawing area: an opaque QImage painted without
// antialiasing. The window shows it and repaints only the rectangle that changed;
// the renderer saves it. Coordinates are pixels, origin top-left, y down.

#include "Canvas.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <limits>
#include <functional>

namespace zv {

// Clips a segment, in double, to a picture of the given size (drawing pixels)
// plus a margin of 16 pixels, as every line is before it is rasterised; false
// when nothing of it is left or an end is not finite. Exact for axis-parallel
// and 45-degree lines however far their ends lie.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double width, double height);

class ImageCanvas : public Canvas {
public:
    // scale: image pixels per drawing pixel (1 to 8). The algorithms keep
    // drawing in width x height; every coordinate and line width is multiplied
    // on the way into the image, so the figure looks the same, only sharper.
    ImageCanvas(int width, int height, int scale = 1);

    // A new size erases the picture to the background colour.
    void Resize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    const QImage& image() const { return image_; }

    void SetBackColor(std::int32_t color) { backColor_ = color; }
    std::int32_t BackColor() const { return backColor_; }
    void SetForeColor(std::int32_t color) { foreColor_ = color; }
    void SetPenWidth(int width) { penWidth_ = width < 1 ? 1 : width; }
    int PenWidth() const { return penWidth_; }
    int MousePointer() const { return mousePointer_; }

    // Text in the canvas's fore colour with its top-left corner at (x, y).
    void PrintText(int x, int y, const QString& text);

    // The area changed since the last call, in pixels; empty when nothing changed.
    QRect TakeDirtyRect();
    // Called by Refresh(); the window repaints the dirty area there.
    void SetRefreshHandler(std::function<void()> handler) { refreshHandler_ = std::move(handler); }

    void Clear() override;
    void SetMousePointer(int pointer) override { mousePointer_ = pointer; }
    void Line(float x1, float y1, float x2, float y2, std::int32_t color) override;
    void Box(float x1, float y1, float x2, float y2, std::int32_t color) override;
    void Circle(float x, float y, float radius, std::int32_t color) override;
    void SetPixelV(std::int32_t x, std::int32_t y, std::int32_t color) override;
    void Polygon(std::span<const IntPoint> points) override;
    void SetFillColor(std::int32_t color) override { fillColor_ = color; }
    std::int32_t ForeColor() const override { return foreColor_; }
    float ScaleWidth() const override { return static_cast<float>(scaledWidth_); }
    float ScaleHeight() const override { return static_cast<float>(scaledHeight_); }
    void Refresh() override;

private:
    // rect in drawing pixels.
    void markDirty(const QRect& rect);
    // A painter on the image that takes drawing pixels.
    void begin(QPainter& painter);
    // Inclusive bounds in image pixels; clipped to the image when taken.
    void markDirtyPixels(int left, int top, int right, int bottom) {
        dirtyLeft_ = std::min(dirtyLeft_, left);
        dirtyTop_ = std::min(dirtyTop_, top);
        dirtyRight_ = std::max(dirtyRight_, right);
        dirtyBottom_ = std::max(dirtyBottom_, bottom);
    }
    void drawThinLine(double x1, double y1, double x2, double y2, QRgb pixel);

    QImage image_;
    // The image's size, kept here because every line needs it and QImage
    // answers only through calls into the library. Set by Resize.
    int width_ = 0;
    int height_ = 0;
    int scaledWidth_ = 0; // in drawing pixels
    int scaledHeight_ = 0;
    qsizetype bytesPerLine_ = 0;
    bool thinLinePath_ = false; // scale 1 and a size the direct line path takes
    // Empty while left > right.
    int dirtyLeft_ = std::numeric_limits<int>::max();
    int dirtyTop_ = std::numeric_limits<int>::max();
    int dirtyRight_ = std::numeric_limits<int>::min();
    int dirtyBottom_ = std::numeric_limits<int>::min();
    std::int32_t backColor_ = 0xFFFFFF;
    std::int32_t foreColor_ = 0;
    std::int32_t fillColor_ = 0;
    int penWidth_ = 1;
    int scale_ = 1;
    int mousePointer_ = DefaultPointer;
    std::function<void()> refreshHandler_;
};

} // namespace zv
