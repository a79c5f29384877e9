// The run state, the status bar that shows it, and the keyboard commands that
// the window sees before its controls.

#include "MainForm.h"

#include "ColorSwatch.h"
#include "FractalCatalogue.h"
#include "KeyedStatusBar.h"
#include "Logging.h"
#include "OutputPicture.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace zv {

void MainForm::ManageGlobalStates(std::uint8_t NewState) {
    if (NewState > PauseMode) {
        return;
    }
    model_.GlobalState = NewState;
    if (napLoop_ != nullptr) {
        napLoop_->quit(); // a paused run goes on (or ends) at once
    }
    if (NewState != PauseMode) {
        // Texts a run wrote before would overwrite the zeroes shown now.
        pendingElementsText_.reset();
        pendingRecursionsText_.reset();
    }
    StatusPanel* state = StatusBar->panel(QStringLiteral("GlobalState"));
    StatusPanel* recursions = StatusBar->panel(QStringLiteral("RecursionsCount"));
    StatusPanel* elements = StatusBar->panel(QStringLiteral("ElementsCount"));
    StatusPanel* help = StatusBar->panel(QStringLiteral("Help"));
    state->setPixmap(GSIcon_pic[NewState]->pixmap());
    switch (NewState) {
    case EditMode:
        Output_pic->canvas().SetPenWidth(2);
        state->setToolTip(QStringLiteral("EditMode"));
        recursions->setVisible(false);
        elements->setVisible(false);
        help->setText(QStringLiteral("arrange the Fixpoint on the left to your desire"));
        break;
    case WorkingMode:
        Output_pic->canvas().SetPenWidth(1);
        state->setToolTip(QStringLiteral("WorkingMode"));
        if (const DrawModeRow* mode = shownModeRow(); mode && mode->countsRecursions) {
            recursions->setText(QStringLiteral("Recursions: 0"));
            recursions->setVisible(true);
        }
        elements->setText(QStringLiteral("Elements drawn: 0"));
        elements->setVisible(true);
        help->setText(QStringLiteral("pause with S"));
        break;
    case PauseMode:
        state->setToolTip(QStringLiteral("PauseMode"));
        help->setText(QStringLiteral("resume with S"));
        break;
    default:
        break;
    }
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* target = qobject_cast<QWidget*>(watched);
        if (target != nullptr && target->window() == this) {
            // A key travels from the focused control up to its parents and
            // passes this filter at each; act on its first stop only.
            QWidget* focus = QApplication::focusWidget();
            QWidget* first = focus != nullptr && focus->window() == this ? focus : this;
            if (target == first && handleKeyDown(static_cast<QKeyEvent*>(event))) {
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Returns true when the key is used up; S still reaches the focused control.
bool MainForm::handleKeyDown(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    switch (event->key()) {
    case Qt::Key_S: {
        const std::uint8_t before = model_.GlobalState;
        if (before == WorkingMode) {
            ManageGlobalStates(PauseMode);
        } else if (before == PauseMode) {
            ManageGlobalStates(WorkingMode);
        }
        qCDebug(runLog, "key S state %d -> %d", int(before), int(model_.GlobalState));
        return false;
    }
    case Qt::Key_P:
        if (mods == Qt::ControlModifier) {
            emit pictureExportRequested();
            return true;
        }
        if (mods == (Qt::ControlModifier | Qt::ShiftModifier)) {
            emit animationExportRequested();
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter presses the default button unless another button has the
        // focus; that button takes the key itself.
        if ((mods & ~Qt::ShiftModifier) != Qt::NoModifier ||
            qobject_cast<QPushButton*>(QApplication::focusWidget()) != nullptr) {
            return false;
        }
        qCDebug(runLog, "key Enter");
        Draw_btn->click();
        return true;
    default:
        return false;
    }
}

} // namespace zv
