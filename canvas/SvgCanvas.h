#pragma once
// The drawing operations written as SVG, one element per operation in drawing
// order, so a file shows exactly what a run drew and in which order. Coordinates
// are the ones the engine passed (pixels, origin top-left, y down); colours are
// #rrggbb. An operation with a non-finite coordinate is left out, as the image
// canvas draws nothing for it.

#include "Canvas.h"

#include <QXmlStreamWriter>
#include <cstdint>

class QIODevice;

namespace zv {

class SvgCanvas : public Canvas {
public:
    // Writes the document head at once; the device must stay open until End().
    // A scale above 1 shows the same drawing that many times larger.
    SvgCanvas(QIODevice* device, int width, int height, int scale = 1);
    ~SvgCanvas() override;

    // Closes the document; no operation is written after it.
    void End();
    bool HasError() const { return xml_.hasError(); }

    void SetBackColor(std::int32_t color) { backColor_ = color; }
    void SetForeColor(std::int32_t color) { foreColor_ = color; }

    void Clear() override;
    void SetMousePointer(int) override {}
    void Line(float x1, float y1, float x2, float y2, std::int32_t color) override;
    void Box(float x1, float y1, float x2, float y2, std::int32_t color) override;
    void Circle(float x, float y, float radius, std::int32_t color) override;
    void SetPixelV(std::int32_t x, std::int32_t y, std::int32_t color) override;
    void Polygon(std::span<const IntPoint> points) override;
    void SetFillColor(std::int32_t color) override { fillColor_ = color; }
    std::int32_t ForeColor() const override { return foreColor_; }
    float ScaleWidth() const override { return static_cast<float>(width_); }
    float ScaleHeight() const override { return static_cast<float>(height_); }
    void Refresh() override {}

private:
    void rect(double x, double y, double width, double height, std::int32_t fill,
              std::int32_t stroke, bool withStroke);

    QXmlStreamWriter xml_;
    int width_;
    int height_;
    bool ended_ = false;
    std::int32_t backColor_ = 0xFFFFFF;
    std::int32_t foreColor_ = 0;
    std::int32_t fillColor_ = 0;
};

// A colour as #rrggbb from 24-bit RGB with red in the low byte.
QString svgColor(std::int32_t color);

} // namespace zv
