#include "ImageCanvas.h"

#include "CanvasColor.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

namespace zv {

namespace {

// Figures may send coordinates far outside the picture (a fix point at 1e30, a
// bar twice a segment long). Everything is clipped in double to the picture
// plus this margin before QPainter sees it, so the rasteriser never meets a
// number it cannot hold.
constexpr double ClipMargin = 16.0;

// Pictures up to this side take the direct 1-pixel line path, whose fixed
// point arithmetic is sized for it; larger ones are painted with QPainter.
constexpr int ThinLineMaxSide = 16384;

struct ClipRect {
    double left, top, right, bottom;
};

ClipRect clipRectFor(const ImageCanvas& canvas) {
    return {-ClipMargin, -ClipMargin, canvas.ScaleWidth() + ClipMargin,
            canvas.ScaleHeight() + ClipMargin};
}

bool finite(double a, double b, double c, double d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// Sutherland-Hodgman against one edge of the clip rectangle at a time.
std::vector<QPointF> clipPolygon(std::vector<QPointF> poly, const ClipRect& r) {
    auto clipEdge = [&poly](auto inside, auto intersect) {
        std::vector<QPointF> out;
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const QPointF cur = poly[i];
            const QPointF prev = poly[(i + poly.size() - 1) % poly.size()];
            if (inside(cur)) {
                if (!inside(prev)) {
                    out.push_back(intersect(prev, cur));
                }
                out.push_back(cur);
            } else if (inside(prev)) {
                out.push_back(intersect(prev, cur));
            }
        }
        poly = std::move(out);
    };
    auto atX = [](double x) {
        return [x](QPointF a, QPointF b) {
            const double t = (x - a.x()) / (b.x() - a.x());
            return QPointF(x, a.y() + t * (b.y() - a.y()));
        };
    };
    auto atY = [](double y) {
        return [y](QPointF a, QPointF b) {
            const double t = (y - a.y()) / (b.y() - a.y());
            return QPointF(a.x() + t * (b.x() - a.x()), y);
        };
    };
    clipEdge([&](QPointF p) { return p.x() >= r.left; }, atX(r.left));
    clipEdge([&](QPointF p) { return p.x() <= r.right; }, atX(r.right));
    clipEdge([&](QPointF p) { return p.y() >= r.top; }, atY(r.top));
    clipEdge([&](QPointF p) { return p.y() <= r.bottom; }, atY(r.bottom));
    return poly;
}

QRect boundsOf(double x1, double y1, double x2, double y2, int grow) {
    const int left = static_cast<int>(std::floor(std::min(x1, x2))) - grow;
    const int top = static_cast<int>(std::floor(std::min(y1, y2))) - grow;
    const int right = static_cast<int>(std::ceil(std::max(x1, x2))) + grow;
    const int bottom = static_cast<int>(std::ceil(std::max(y1, y2))) + grow;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

// Cohen-Sutherland against the picture plus ClipMargin (r): shortens the
// segment to the part inside r; false when none is, or when an end is not a
// finite number. A cut end goes onto the edge that cut it, and its other coordinate comes
// from the intercept form of the whole line with one rounding (fma), not from
// x1 + t * dx: with both ends 1e30 pixels away t is 0.5 to the last bit, and
// that sum shrank a line across the picture to a dot. Horizontal, vertical and
// 45-degree lines are so cut exactly. From that far, other slopes carry a
// rounding error larger than the picture, so the ends are clamped to r last.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double width, double height) {
    if (!finite(x1, y1, x2, y2)) {
        return false;
    }
    const ClipRect r{-ClipMargin, -ClipMargin, width + ClipMargin, height + ClipMargin};
    const double sx = x1;
    const double sy = y1;
    const double dx = x2 - x1;
    const double dy = y2 - y1;
    auto outside = [&r](double x, double y) {
        return (x < r.left ? 1 : 0) | (x > r.right ? 2 : 0) | (y < r.top ? 4 : 0) |
               (y > r.bottom ? 8 : 0);
    };
    // Each step puts one end on one edge; rounding may undo an earlier step,
    // so the steps are bounded rather than run until both ends are inside.
    for (int step = 0; step < 8; ++step) {
        const int code1 = outside(x1, y1);
        const int code2 = outside(x2, y2);
        if ((code1 | code2) == 0) {
            break;
        }
        if ((code1 & code2) != 0) {
            return false; // both ends beyond the same edge
        }
        // The ends differ on the side tested, so dx (or dy) is not 0 there.
        const int code = code1 != 0 ? code1 : code2;
        double& x = code1 != 0 ? x1 : x2;
        double& y = code1 != 0 ? y1 : y2;
        if ((code & 3) != 0) {
            const double slope = dy / dx;
            x = (code & 1) != 0 ? r.left : r.right;
            y = std::fma(slope, x, std::fma(-slope, sx, sy));
        } else {
            const double slope = dx / dy;
            y = (code & 4) != 0 ? r.top : r.bottom;
            x = std::fma(slope, y, std::fma(-slope, sy, sx));
        }
    }
    x1 = std::clamp(x1, r.left, r.right);
    x2 = std::clamp(x2, r.left, r.right);
    y1 = std::clamp(y1, r.top, r.bottom);
    y2 = std::clamp(y2, r.top, r.bottom);
    return true;
}

ImageCanvas::ImageCanvas(int width, int height, int scale) : scale_(std::clamp(scale, 1, 8)) {
    Resize(width, height);
}

void ImageCanvas::Resize(int width, int height) {
    image_ = QImage(std::max(width, 1) * scale_, std::max(height, 1) * scale_,
                    QImage::Format_RGB32);
    width_ = image_.width(); // 0 for a null image
    height_ = image_.height();
    scaledWidth_ = width_ / scale_;
    scaledHeight_ = height_ / scale_;
    bytesPerLine_ = image_.bytesPerLine();
    thinLinePath_ = scale_ == 1 && width_ <= ThinLineMaxSide && height_ <= ThinLineMaxSide;
    Clear();
}

void ImageCanvas::begin(QPainter& painter) {
    painter.begin(&image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (scale_ > 1) {
        // Pens scale with the transform too: a 1-pixel line becomes scale pixels wide.
        painter.scale(scale_, scale_);
    }
}

void ImageCanvas::Clear() {
    image_.fill(colorFromLong(backColor_));
    markDirtyPixels(0, 0, width_ - 1, height_ - 1);
}

void ImageCanvas::Line(float x1, float y1, float x2, float y2, std::int32_t color) {
    double ax = x1, ay = y1, bx = x2, by = y2;
    const bool thin = thinLinePath_ && penWidth_ == 1;
    // Most lines lie within a pixel of the picture, where the clip would
    // leave them as they are (NaN fails the test and takes the clip).
    const double w = width_, h = height_;
    const bool near = ax >= -1 && ax <= w + 1 && bx >= -1 && bx <= w + 1 && ay >= -1 &&
                      ay <= h + 1 && by >= -1 && by <= h + 1;
    if (!(thin && near) && !ClipSegment(ax, ay, bx, by, ScaleWidth(), ScaleHeight())) {
        return;
    }
    if (thin) {
        drawThinLine(ax, ay, bx, by, pixelFromLong(color));
        // The ends lie within the clip margin, so the casts are safe; they
        // truncate, and one pixel more each way covers that.
        markDirtyPixels(static_cast<int>(std::min(ax, bx)) - 3,
                        static_cast<int>(std::min(ay, by)) - 3,
                        static_cast<int>(std::max(ax, bx)) + 3,
                        static_cast<int>(std::max(ay, by)) + 3);
        return;
    }
    QPainter painter;
    begin(painter);
    painter.setPen(QPen(colorFromLong(color), penWidth_, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(QLineF(ax, ay, bx, by));
    markDirty(boundsOf(ax, ay, bx, by, penWidth_ + 1));
}

// A 1-pixel line straight into the scanlines, with the pixels QPainter's
// aliased 1-pixel pen with square caps gives (the run drew with it before, and
// saved pictures must not change), without a painter per line: opening one
// cost more than the line. The ends were clipped to the picture plus
// ClipMargin; they are clipped once more, in double, to one pixel around the
// picture, then stepped in fixed point: positions with 6 fraction bits
// (truncated toward zero), the slope with 16. The major axis runs from half a
// pixel before the first end to half a pixel past the last (the square caps),
// one pixel per row or column, the minor coordinate truncated.
void ImageCanvas::drawThinLine(double x1, double y1, double x2, double y2, QRgb pixel) {
    const int w = width_;
    const int h = height_;
    uchar* const bits = image_.bits();
    const qsizetype stride = bytesPerLine_;
    auto plot = [&](std::int64_t x, std::int64_t y) {
        if (x >= 0 && y >= 0 && x < w && y < h) {
            reinterpret_cast<QRgb*>(bits + y * stride)[x] = pixel;
        }
    };
    if (QPointF(x1, y1) == QPointF(x2, y2)) {
        // Ends that QPointF holds equal (a fuzzy comparison) make the one
        // pixel nearest the first end (halves away from zero).
        auto round = [](double v) {
            return static_cast<std::int64_t>(v >= 0 ? v + 0.5 : v - 0.5);
        };
        plot(round(x1), round(y1));
        return;
    }
    // Clip to [-1, size + 1] along x, then along y; each step moves one end
    // onto an edge, the other coordinate following.
    auto clipAxis = [](double& u1, double& v1, double& u2, double& v2, double lo, double hi) {
        if (u1 < lo) {
            if (u2 <= lo) {
                return false;
            }
            v1 += (v2 - v1) / (u2 - u1) * (lo - u1);
            u1 = lo;
        } else if (u1 > hi) {
            if (u2 >= hi) {
                return false;
            }
            v1 += (v2 - v1) / (u2 - u1) * (hi - u1);
            u1 = hi;
        }
        if (u2 < lo) {
            v2 += (v2 - v1) / (u2 - u1) * (lo - u2);
            u2 = lo;
        } else if (u2 > hi) {
            v2 += (v2 - v1) / (u2 - u1) * (hi - u2);
            u2 = hi;
        }
        return true;
    };
    if (!clipAxis(x1, y1, x2, y2, -1, w + 1.0) || !clipAxis(y1, x1, y2, x2, -1, h + 1.0)) {
        return;
    }

    // All four now lie within [-1, ThinLineMaxSide + 1], so 64 * v and the
    // 16.16 positions below stay far inside 32 bits.
    auto fixed6 = [](double v) { return static_cast<std::int64_t>(v * 64.0); };
    std::int64_t a1 = fixed6(x1), b1 = fixed6(y1); // a: major axis, b: minor axis
    std::int64_t a2 = fixed6(x2), b2 = fixed6(y2);
    const bool steep = std::abs(b2 - b1) > std::abs(a2 - a1);
    if (steep) {
        std::swap(a1, b1);
        std::swap(a2, b2);
    }
    if (a1 == a2) {
        return; // shorter than 1/64 pixel both ways
    }
    if (a1 > a2) {
        std::swap(a1, a2);
        std::swap(b1, b2);
    }
    const std::int64_t slope = (b2 - b1) * 65536 / (a2 - a1); // minor per major, 16.16
    std::int64_t b = b1 * 1024;                                // 16.16
    // The square caps: half a pixel more at both ends.
    a1 -= 32;
    a2 += 32;
    b -= slope >> 1;
    std::int64_t a = (a1 + 32) >> 6;
    const std::int64_t end = (a2 + 32) >> 6;
    if (a == end) {
        return;
    }
    b += ((a * 64) + (slope > 0 ? 32 : 0) - a1) * slope >> 6;
    for (; a < end; ++a, b += slope) {
        if (steep) {
            plot(b >> 16, a);
        } else {
            plot(a, b >> 16);
        }
    }
}

void ImageCanvas::Box(float x1, float y1, float x2, float y2, std::int32_t color) {
    const ClipRect r = clipRectFor(*this);
    auto clampX = [&](double v) { return std::clamp(v, r.left, r.right); };
    auto clampY = [&](double v) { return std::clamp(v, r.top, r.bottom); };
    if (!finite(x1, y1, x2, y2)) {
        return;
    }
    const double left = clampX(std::min<double>(x1, x2));
    const double right = clampX(std::max<double>(x1, x2));
    const double top = clampY(std::min<double>(y1, y2));
    const double bottom = clampY(std::max<double>(y1, y2));
    QPainter painter;
    begin(painter);
    const QColor c = colorFromLong(color);
    painter.setPen(QPen(c, 1));
    painter.setBrush(c);
    painter.drawRect(QRectF(QPointF(left, top), QPointF(right, bottom)));
    markDirty(boundsOf(left, top, right, bottom, 2));
}

void ImageCanvas::Circle(float x, float y, float radius, std::int32_t color) {
    const ClipRect r = clipRectFor(*this);
    if (!finite(x, y, radius, 0) || radius < 0 || radius > 4096 || x < r.left - radius ||
        x > r.right + radius || y < r.top - radius || y > r.bottom + radius) {
        return;
    }
    QPainter painter;
    begin(painter);
    painter.setPen(QPen(colorFromLong(color), penWidth_));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(x, y), radius, radius);
    markDirty(boundsOf(x - radius, y - radius, x + radius, y + radius, penWidth_ + 1));
}

void ImageCanvas::SetPixelV(std::int32_t x, std::int32_t y, std::int32_t color) {
    if (x < 0 || y < 0 || x >= scaledWidth_ || y >= scaledHeight_) {
        return;
    }
    // Straight into the scanlines: the chaos game sets a pixel per point.
    const QRgb pixel = pixelFromLong(color);
    uchar* const bits = image_.bits();
    const qsizetype left = qsizetype{x} * scale_;
    for (qsizetype row = qsizetype{y} * scale_, end = row + scale_; row < end; ++row) {
        std::fill_n(reinterpret_cast<QRgb*>(bits + row * bytesPerLine_) + left, scale_, pixel);
    }
    markDirtyPixels(x * scale_, y * scale_, x * scale_ + scale_ - 1, y * scale_ + scale_ - 1);
}

void ImageCanvas::Polygon(std::span<const IntPoint> points) {
    if (points.size() < 2) {
        return;
    }
    std::vector<QPointF> poly;
    poly.reserve(points.size());
    for (const IntPoint& p : points) {
        poly.emplace_back(p.x, p.y);
    }
    poly = clipPolygon(std::move(poly), clipRectFor(*this));
    if (poly.empty()) {
        return;
    }
    QPainter painter;
    begin(painter);
    painter.setPen(QPen(colorFromLong(foreColor_), penWidth_));
    painter.setBrush(colorFromLong(fillColor_));
    const QPolygonF shape(QList<QPointF>(poly.begin(), poly.end()));
    painter.drawPolygon(shape);
    const QRectF b = shape.boundingRect();
    markDirty(boundsOf(b.left(), b.top(), b.right(), b.bottom(), penWidth_ + 1));
}

void ImageCanvas::PrintText(int x, int y, const QString& text) {
    QPainter painter;
    begin(painter);
    painter.setPen(colorFromLong(foreColor_));
    const QRect bounds = painter.boundingRect(
        QRect(x, y, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    painter.drawText(bounds, Qt::AlignLeft | Qt::AlignTop, text);
    markDirty(bounds.adjusted(-1, -1, 1, 1));
}

QRect ImageCanvas::TakeDirtyRect() {
    if (dirtyLeft_ > dirtyRight_) {
        return {};
    }
    const QRect r(QPoint(std::max(dirtyLeft_, 0), std::max(dirtyTop_, 0)),
                  QPoint(std::min(dirtyRight_, width_ - 1), std::min(dirtyBottom_, height_ - 1)));
    dirtyLeft_ = dirtyTop_ = std::numeric_limits<int>::max();
    dirtyRight_ = dirtyBottom_ = std::numeric_limits<int>::min();
    return r.isValid() ? r : QRect();
}

void ImageCanvas::Refresh() {
    if (refreshHandler_) {
        refreshHandler_();
    }
}

void ImageCanvas::markDirty(const QRect& rect) {
    const QRect scaled =
        QRect(rect.x() * scale_, rect.y() * scale_, rect.width() * scale_, rect.height() * scale_)
            .intersected(image_.rect());
    if (!scaled.isEmpty()) {
        markDirtyPixels(scaled.left(), scaled.top(), scaled.right(), scaled.bottom());
    }
}

} // namespace zv
