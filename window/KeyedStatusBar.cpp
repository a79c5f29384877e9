#include "KeyedStatusBar.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

namespace zv {

namespace {
constexpr int Gap = 2; // pixels between panels and at the ends
}

StatusPanel::StatusPanel(const QString& key, int width, KeyedStatusBar* bar)
    : QLabel(bar), key_(key), width_(width) {
    setObjectName(key);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setIndent(3);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QRect StatusPanel::textBox() const {
    // Two pixels of air before the frame, so that narrowed text never meets it.
    return contentsRect().adjusted(std::max(indent(), 0), 0, -2, 0);
}

double StatusPanel::textScale() const {
    const int needed = fontMetrics().horizontalAdvance(text());
    const int room = textBox().width();
    if (needed <= room || needed <= 0) {
        return 1.0;
    }
    return std::max(MinTextScale, static_cast<double>(room) / needed);
}

void StatusPanel::paintEvent(QPaintEvent* event) {
    if (text().isEmpty()) { // the state icon
        QLabel::paintEvent(event);
        return;
    }
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect box = textBox();
    const double scale = textScale();
    const double width = box.width() / scale;
    painter.translate(box.topLeft());
    painter.scale(scale, 1.0);
    painter.drawText(QRectF(0, 0, width, box.height()), static_cast<int>(alignment()),
                     fontMetrics().elidedText(text(), Qt::ElideRight, static_cast<int>(width)));
}

bool StatusPanel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty() && textScale() < 1.0) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

void StatusPanel::setVisible(bool visible) {
    QLabel::setVisible(visible);
    if (auto* bar = qobject_cast<KeyedStatusBar*>(parentWidget())) {
        bar->relayout();
    }
}

KeyedStatusBar::KeyedStatusBar(QWidget* parent) : QWidget(parent) {}

StatusPanel* KeyedStatusBar::addPanel(const QString& key, int width, bool stretch) {
    auto* p = new StatusPanel(key, width, this);
    panels_.append(p);
    if (stretch) {
        stretch_ = p;
    }
    relayout();
    return p;
}

StatusPanel* KeyedStatusBar::panel(const QString& key) const {
    for (StatusPanel* p : panels_) {
        if (p->key() == key) {
            return p;
        }
    }
    return nullptr;
}

void KeyedStatusBar::relayout() {
    int fixed = Gap;
    for (const StatusPanel* p : panels_) {
        if (!p->isHidden()) {
            fixed += (p == stretch_ ? 0 : p->designWidth()) + Gap;
        }
    }
    int x = Gap;
    const int h = std::max(height() - 2 * Gap, 1);
    for (StatusPanel* p : panels_) {
        if (p->isHidden()) {
            continue;
        }
        const int w =
            p == stretch_ ? std::max(width() - fixed, p->designWidth()) : p->designWidth();
        p->setGeometry(x, Gap, w, h);
        x += w + Gap;
    }
}

void KeyedStatusBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

} // namespace zv
