#include "ImageCanvas.h"

#include "CanvasColor.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <vector>

namespace zv {

namespace {

// Figures may send coordinates far outside the picture (a fix point at 1e30, a
// bar twice a segment long). Everything is clipped in double to the picture
// plus this margin before QPainter sees it, so the rasteriser never meets a
// number it cannot hold.
constexpr double ClipMargin = 16.0;

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

// Cohen-Sutherland: shortens the segment to the part inside r; false when none
// is. A cut end goes onto the edge that cut it, and its other coordinate comes
// from the intercept form of the whole line with one rounding (fma), not from
// x1 + t * dx: with both ends 1e30 pixels away t is 0.5 to the last bit, and
// that sum shrank a line across the picture to a dot. Horizontal, vertical and
// 45-degree lines are so cut exactly. From that far, other slopes carry a
// rounding error larger than the picture, so the ends are clamped to r last.
bool clipLine(double& x1, double& y1, double& x2, double& y2, const ClipRect& r) {
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

ImageCanvas::ImageCanvas(int width, int height, int scale) : scale_(std::clamp(scale, 1, 8)) {
    Resize(width, height);
}

void ImageCanvas::Resize(int width, int height) {
    image_ = QImage(std::max(width, 1) * scale_, std::max(height, 1) * scale_,
                    QImage::Format_RGB32);
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
    dirty_ = image_.rect();
}

void ImageCanvas::Line(float x1, float y1, float x2, float y2, std::int32_t color) {
    double ax = x1, ay = y1, bx = x2, by = y2;
    if (!finite(ax, ay, bx, by) || !clipLine(ax, ay, bx, by, clipRectFor(*this))) {
        return;
    }
    QPainter painter;
    begin(painter);
    painter.setPen(QPen(colorFromLong(color), penWidth_, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(QLineF(ax, ay, bx, by));
    markDirty(boundsOf(ax, ay, bx, by, penWidth_ + 1));
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
    if (x < 0 || y < 0 || x >= image_.width() / scale_ || y >= image_.height() / scale_) {
        return;
    }
    const QRgb rgb = colorFromLong(color).rgb();
    for (int dy = 0; dy < scale_; ++dy) {
        for (int dx = 0; dx < scale_; ++dx) {
            image_.setPixel(x * scale_ + dx, y * scale_ + dy, rgb);
        }
    }
    markDirty(QRect(x, y, 1, 1));
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
    const QRect r = dirty_;
    dirty_ = QRect();
    return r;
}

void ImageCanvas::Refresh() {
    if (refreshHandler_) {
        refreshHandler_();
    }
}

void ImageCanvas::markDirty(const QRect& rect) {
    const QRect scaled(rect.x() * scale_, rect.y() * scale_, rect.width() * scale_,
                       rect.height() * scale_);
    dirty_ = dirty_.united(scaled.intersected(image_.rect()));
}

} // namespace zv
