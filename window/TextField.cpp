#include "TextField.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QValidator>

namespace zv {

namespace {

// Refuses an edit that makes the text longer than the limit; an edit of a longer
// text written by the program that does not lengthen it (a deletion) passes.
class TypingLimitValidator : public QValidator {
public:
    TypingLimitValidator(QLineEdit* field, int limit)
        : QValidator(field), field_(field), limit_(limit) {}
    State validate(QString& input, int&) const override {
        if (input.size() > limit_ && input.size() > field_->text().size()) {
            return Invalid;
        }
        return Acceptable;
    }

private:
    QLineEdit* field_;
    int limit_;
};

// Window switches and context menus take the focus away for a moment; the field
// is neither left nor entered by the user then.
bool userFocusChange(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

TextField::TextField(QWidget* parent) : QLineEdit(parent) {}

void TextField::setTypingLimit(int characters) {
    typingLimit_ = characters > 0 ? characters : 0;
    delete validator();
    if (typingLimit_ > 0) {
        setValidator(new TypingLimitValidator(this, typingLimit_));
    }
}

void TextField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (!userFocusChange(event->reason())) {
        return;
    }
    selectAll();
    selectAllOnPress_ = event->reason() == Qt::MouseFocusReason;
    emit gotFocus();
}

void TextField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    selectAllOnPress_ = false;
    holdSelection_ = false;
    if (userFocusChange(event->reason())) {
        emit lostFocus();
    }
}

void TextField::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (selectAllOnPress_) {
        selectAllOnPress_ = false;
        holdSelection_ = true;
        selectAll();
    }
}

void TextField::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved();
    if (holdSelection_ && (event->buttons() & Qt::LeftButton)) {
        return;
    }
    QLineEdit::mouseMoveEvent(event);
}

void TextField::mouseReleaseEvent(QMouseEvent* event) {
    holdSelection_ = false;
    QLineEdit::mouseReleaseEvent(event);
}

void TextField::keyPressEvent(QKeyEvent* event) {
    if (periodBecomesComma_ && event->text() == QLatin1String(".")) {
        QKeyEvent comma(event->type(), Qt::Key_Comma, event->modifiers(), QStringLiteral(","),
                        event->isAutoRepeat(), static_cast<quint16>(event->count()));
        QLineEdit::keyPressEvent(&comma);
        event->setAccepted(comma.isAccepted());
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace zv
