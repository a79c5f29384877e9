#include "SvgCanvas.h"

#include <QIODevice>
#include <array>
#include <charconv>
#include <cmath>

namespace zv {

namespace {

// The shortest text that reads back to the same float; never locale-dependent.
QString number(double v) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

QString number(float v) {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

bool finite(float a, float b, float c, float d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

} // namespace

QString svgColor(std::int32_t color) {
    const auto v = static_cast<std::uint32_t>(color);
    return QStringLiteral("#%1%2%3")
        .arg(v & 0xFFu, 2, 16, QLatin1Char('0'))
        .arg((v >> 8) & 0xFFu, 2, 16, QLatin1Char('0'))
        .arg((v >> 16) & 0xFFu, 2, 16, QLatin1Char('0'));
}

SvgCanvas::SvgCanvas(QIODevice* device, int width, int height, int scale)
    : xml_(device), width_(width), height_(height) {
    xml_.setAutoFormatting(true);
    xml_.setAutoFormattingIndent(0);
    xml_.writeStartDocument();
    xml_.writeStartElement(QStringLiteral("svg"));
    xml_.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2000/svg"));
    // The view box keeps the drawing's own coordinates; only the displayed size grows.
    xml_.writeAttribute(QStringLiteral("width"), QString::number(qint64(width) * scale));
    xml_.writeAttribute(QStringLiteral("height"), QString::number(qint64(height) * scale));
    xml_.writeAttribute(QStringLiteral("viewBox"),
                        QStringLiteral("0 0 %1 %2").arg(width).arg(height));
    // The picture is drawn without antialiasing, as on the screen.
    xml_.writeAttribute(QStringLiteral("shape-rendering"), QStringLiteral("crispEdges"));
}

SvgCanvas::~SvgCanvas() {
    End();
}

void SvgCanvas::End() {
    if (!ended_) {
        ended_ = true;
        xml_.writeEndDocument();
    }
}

void SvgCanvas::rect(double x, double y, double width, double height, std::int32_t fill,
                     std::int32_t stroke, bool withStroke) {
    if (ended_) {
        return;
    }
    xml_.writeEmptyElement(QStringLiteral("rect"));
    xml_.writeAttribute(QStringLiteral("x"), number(x));
    xml_.writeAttribute(QStringLiteral("y"), number(y));
    xml_.writeAttribute(QStringLiteral("width"), number(width));
    xml_.writeAttribute(QStringLiteral("height"), number(height));
    xml_.writeAttribute(QStringLiteral("fill"), svgColor(fill));
    if (withStroke) {
        xml_.writeAttribute(QStringLiteral("stroke"), svgColor(stroke));
    }
}

void SvgCanvas::Clear() {
    rect(0, 0, width_, height_, backColor_, 0, false);
}

void SvgCanvas::Line(float x1, float y1, float x2, float y2, std::int32_t color) {
    if (ended_ || !finite(x1, y1, x2, y2)) {
        return;
    }
    xml_.writeEmptyElement(QStringLiteral("line"));
    xml_.writeAttribute(QStringLiteral("x1"), number(x1));
    xml_.writeAttribute(QStringLiteral("y1"), number(y1));
    xml_.writeAttribute(QStringLiteral("x2"), number(x2));
    xml_.writeAttribute(QStringLiteral("y2"), number(y2));
    xml_.writeAttribute(QStringLiteral("stroke"), svgColor(color));
}

void SvgCanvas::Box(float x1, float y1, float x2, float y2, std::int32_t color) {
    if (!finite(x1, y1, x2, y2)) {
        return;
    }
    // SVG wants the top-left corner and a size; the engine passes any two corners.
    const double left = std::min<double>(x1, x2);
    const double top = std::min<double>(y1, y2);
    rect(left, top, std::max<double>(x1, x2) - left, std::max<double>(y1, y2) - top, color, color,
         true);
}

void SvgCanvas::Circle(float x, float y, float radius, std::int32_t color) {
    if (ended_ || !finite(x, y, radius, 0.0f) || radius < 0) {
        return;
    }
    xml_.writeEmptyElement(QStringLiteral("circle"));
    xml_.writeAttribute(QStringLiteral("cx"), number(x));
    xml_.writeAttribute(QStringLiteral("cy"), number(y));
    xml_.writeAttribute(QStringLiteral("r"), number(radius));
    xml_.writeAttribute(QStringLiteral("fill"), QStringLiteral("none"));
    xml_.writeAttribute(QStringLiteral("stroke"), svgColor(color));
}

void SvgCanvas::SetPixelV(std::int32_t x, std::int32_t y, std::int32_t color) {
    rect(x, y, 1, 1, color, 0, false);
}

void SvgCanvas::Polygon(std::span<const IntPoint> points) {
    if (ended_ || points.empty()) {
        return;
    }
    QString list;
    for (const IntPoint& p : points) {
        if (!list.isEmpty()) {
            list += u' ';
        }
        list += QString::number(p.x) + u',' + QString::number(p.y);
    }
    xml_.writeEmptyElement(QStringLiteral("polygon"));
    xml_.writeAttribute(QStringLiteral("points"), list);
    xml_.writeAttribute(QStringLiteral("fill"), svgColor(fillColor_));
    xml_.writeAttribute(QStringLiteral("stroke"), svgColor(foreColor_));
}

} // namespace zv
