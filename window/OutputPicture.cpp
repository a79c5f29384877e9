#include "OutputPicture.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace zv {

namespace {
constexpr int Border = 1;
const QColor BorderColor(64, 64, 64);
} // namespace

OutputPicture::OutputPicture(QWidget* parent) : QWidget(parent), canvas_(1, 1) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    canvas_.SetRefreshHandler([this] { flush(); });
}

void OutputPicture::flush() {
    const QRect dirty = canvas_.TakeDirtyRect();
    if (!dirty.isEmpty()) {
        update(dirty.translated(Border, Border));
    }
}

void OutputPicture::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect inner(Border, Border, canvas_.width(), canvas_.height());
    const QRect target = event->rect().intersected(inner);
    if (!target.isEmpty()) {
        painter.drawImage(target, canvas_.image(), target.translated(-Border, -Border));
    }
    if (!inner.contains(event->rect())) {
        painter.setPen(BorderColor);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void OutputPicture::setOuterSize(int width, int height) {
    resize(width, height);
    adoptSize();
}

void OutputPicture::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    adoptSize();
}

void OutputPicture::adoptSize() {
    const int w = std::max(width() - 2 * Border, 1);
    const int h = std::max(height() - 2 * Border, 1);
    if (w != canvas_.width() || h != canvas_.height()) {
        canvas_.Resize(w, h);
        canvas_.TakeDirtyRect();
        update();
    }
}

void OutputPicture::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

} // namespace zv
