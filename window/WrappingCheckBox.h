#pragma once
// A check box whose caption wraps onto further lines inside the box's own
// rectangle, for captions designed to take two lines.

#include <QCheckBox>

namespace zv {

class WrappingCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace zv
