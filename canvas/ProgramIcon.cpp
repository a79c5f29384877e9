#include "ProgramIcon.h"

#include <QPainter>
#include <QPolygonF>
#include <QXmlStreamWriter>
#include <vector>

namespace zv {

namespace {

const QColor IconGreen(0, 110, 0);

// The filled triangles of the gadget: apex at the top centre, one pixel of
// margin; more levels where there are pixels to show them.
std::vector<QPolygonF> iconTriangles(int size) {
    const int depth = size >= 128 ? 5 : size >= 64 ? 4 : size >= 32 ? 3 : 2;
    std::vector<QPolygonF> out;
    const auto gadget = [&out](const auto& self, QPointF a, QPointF b, QPointF c, int level) -> void {
        if (level == 0) {
            out.push_back(QPolygonF({a, b, c}));
            return;
        }
        const QPointF ab = (a + b) / 2, bc = (b + c) / 2, ca = (c + a) / 2;
        self(self, a, ab, ca, level - 1);
        self(self, ab, b, bc, level - 1);
        self(self, ca, bc, c, level - 1);
    };
    const double s = size;
    gadget(gadget, QPointF(s / 2, 1), QPointF(s - 1, s - 2), QPointF(1, s - 2), depth);
    return out;
}

} // namespace

QImage programIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(IconGreen);
    for (const QPolygonF& t : iconTriangles(size)) {
        painter.drawPolygon(t);
    }
    return image;
}

QByteArray programIconSvg(int size) {
    QByteArray svg;
    QXmlStreamWriter xml(&svg);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("svg"));
    xml.writeDefaultNamespace(QStringLiteral("http://www.w3.org/2000/svg"));
    xml.writeAttribute(QStringLiteral("width"), QString::number(size));
    xml.writeAttribute(QStringLiteral("height"), QString::number(size));
    xml.writeAttribute(QStringLiteral("viewBox"), QStringLiteral("0 0 %1 %1").arg(size));
    xml.writeStartElement(QStringLiteral("g"));
    xml.writeAttribute(QStringLiteral("fill"), IconGreen.name());
    for (const QPolygonF& t : iconTriangles(size)) {
        QStringList points;
        for (const QPointF& p : t) {
            points << QStringLiteral("%1,%2").arg(p.x()).arg(p.y());
        }
        xml.writeEmptyElement(QStringLiteral("polygon"));
        xml.writeAttribute(QStringLiteral("points"), points.join(u' '));
    }
    xml.writeEndDocument();
    return svg;
}

} // namespace zv
