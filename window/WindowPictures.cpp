#include "WindowPictures.h"

#include <QPainter>
#include <QPolygonF>
#include <functional>

namespace zv {

QPixmap stateDisc(const QColor& color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(color.darker(170), 1));
    painter.setBrush(color);
    painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    return pixmap;
}

QPixmap fixPointMarker() {
    QPixmap pixmap(10, 10);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(QColor(0, 255, 0));
    painter.drawEllipse(QRect(0, 0, 9, 9));
    return pixmap;
}

QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 110, 0));
        std::function<void(QPointF, QPointF, QPointF, int)> gadget = [&](QPointF a, QPointF b,
                                                                         QPointF c, int depth) {
            if (depth == 0) {
                painter.drawPolygon(QPolygonF({a, b, c}));
                return;
            }
            const QPointF ab = (a + b) / 2, bc = (b + c) / 2, ca = (c + a) / 2;
            gadget(a, ab, ca, depth - 1);
            gadget(ab, b, bc, depth - 1);
            gadget(ca, bc, c, depth - 1);
        };
        const double s = size;
        gadget({s / 2, 1}, {s - 1, s - 2}, {1, s - 2}, size >= 32 ? 3 : 2);
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace zv
