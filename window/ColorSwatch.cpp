#include "ColorSwatch.h"

#include "CanvasColor.h"

#include <QMouseEvent>
#include <QPainter>

namespace zv {

namespace {

// White minus the colour: each of red, green and blue becomes 255 minus itself.
// Only the 24 RGB bits take part.
std::int32_t complementaryColor(std::int32_t color) {
    return static_cast<std::int32_t>(0xFFFFFFu - (static_cast<std::uint32_t>(color) & 0xFFFFFFu));
}

} // namespace

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void ColorSwatch::setColor(std::int32_t color) {
    color_ = color;
    caption_.clear();
    update();
}

void ColorSwatch::printCaption(const QString& text) {
    caption_ = text;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        const QRect inner = contentsRect();
        painter.fillRect(inner, colorFromLong(color_));
        if (!caption_.isEmpty()) {
            painter.setPen(colorFromLong(complementaryColor(color_)));
            // Plain pixels in exactly the complementary colour, no blending.
            QFont plain = font();
            plain.setStyleStrategy(QFont::NoAntialias);
            painter.setFont(plain);
            painter.drawText(inner, Qt::AlignCenter, caption_);
        }
    }
    QFrame::paintEvent(event);
}

void ColorSwatch::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QFrame::mousePressEvent(event);
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QFrame::mouseReleaseEvent(event);
    if (click) {
        emit clicked();
    }
}

} // namespace zv
