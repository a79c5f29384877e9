#include "TextField.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QValidator>

namespace zv {

namespace {

// Keeps what the user types or pastes within the limit: the characters that
// would overflow are dropped from the end of the insertion, as a length limit
// does. A longer text that the program wrote may still be shortened.
class TypingLimitValidator : public QValidator {
public:
    TypingLimitValidator(TextField* field, int limit)
        : QValidator(field), field_(field), limit_(limit) {}
    State validate(QString& input, int& pos) const override {
        // setText() clears the modified flag before it validates; only the
        // user's edits set it.
        if (!field_->isModified()) {
            return Acceptable;
        }
        const qsizetype before = field_->acceptedText().size();
        if (input.size() <= limit_ || input.size() < before) {
            return Acceptable;
        }
        if (before > limit_) {
            return Invalid;
        }
        const qsizetype excess = input.size() - limit_;
        const qsizetype start = pos - excess;
        if (start < 0) {
            return Invalid;
        }
        input.remove(start, excess);
        pos = static_cast<int>(start);
        return Acceptable;
    }

private:
    TextField* field_;
    int limit_;
};

// Window switches and context menus take the focus away for a moment; the field
// is neither left nor entered by the user then.
bool userFocusChange(Qt::FocusReason reason) {
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

TextField::TextField(QWidget* parent) : QLineEdit(parent) {
    // While an edit is validated, text() already holds the edited text.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& t) { acceptedText_ = t; });
}

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
