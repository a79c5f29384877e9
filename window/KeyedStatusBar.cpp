#include "KeyedStatusBar.h"

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
