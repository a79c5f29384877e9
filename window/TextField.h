#pragma once
// A single-line field with the behaviour the parameter fields share: the whole
// text is selected whenever the field gets the focus (mouse click included),
// focus changes are reported as signals, an optional limit on what the user can
// type or paste (texts set by the program are never cut), and optionally a typed
// period becomes a comma.

#include <QLineEdit>

namespace zv {

class TextField : public QLineEdit {
    Q_OBJECT
public:
    explicit TextField(QWidget* parent = nullptr);

    // 0: no limit.
    void setTypingLimit(int characters);
    int typingLimit() const { return typingLimit_; }
    void setPeriodBecomesComma(bool on) { periodBecomesComma_ = on; }
    // The text before the edit under way, if any.
    const QString& acceptedText() const { return acceptedText_; }

signals:
    void gotFocus();
    void lostFocus();
    void mouseMoved();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString acceptedText_;
    int typingLimit_ = 0;
    bool periodBecomesComma_ = false;
    // A click that gives the focus keeps the whole text selected, also while
    // the button is held and the mouse moves.
    bool selectAllOnPress_ = false;
    bool holdSelection_ = false;
};

} // namespace zv
