// The draw command: it starts a drawing run, cancels it, and unlocks the
// window after it. What the run asks of the window is MainFormRunHost.cpp.
//
// A run executes inside the click handler of Draw_btn and lets the event loop
// run between elements, so the cancel click re-enters the same handler while
// the first invocation still waits inside DrawFractal. Both invocations finish
// the run; the second finish changes nothing visible. A click that arrives
// after a cancel but before the cancelled run has unwound (both queued in the
// same pass of the event loop) is ignored: a run never starts inside another.

#include "MainForm.h"

#include "Dialogs.h"
#include "DrawFractal.h"
#include "FractalCatalogue.h"
#include "Logging.h"
#include "OutputPicture.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <chrono>
#include <exception>
#include <new>
#include <optional>

namespace zv {

namespace {

using Clock = std::chrono::steady_clock;

} // namespace

void MainForm::Draw_btn_Click() {
    qCDebug(runLog, "Draw_btn_Click state %d", int(model_.GlobalState));
    if (model_.GlobalState != EditMode) {
        cancelRun();
    } else if (!runActive_) {
        startRun();
    }
}

void MainForm::startRun() {
    // A run started with Enter finds the focus still in the field being typed
    // in. Moving it to the button, as a click on the button does, checks and
    // repairs that field first, so the run draws what the field then shows.
    if (QWidget* focus = QApplication::focusWidget();
        focus != nullptr && focus != Draw_btn && isAncestorOf(focus)) {
        Draw_btn->setFocus(Qt::OtherFocusReason);
    }

    runActive_ = true;
    ManageGlobalStates(WorkingMode);
    TransferControlsToModel();
    if (model_.PauseAfterEachOp) {
        ManageGlobalStates(PauseMode);
    }
    Draw_btn->setText(QStringLiteral("&Cancel"));
    setRunControlsEnabled(false);
    for (QLabel* marker : FixPoint_img) {
        marker->hide();
    }

    qCDebug(runLog, "run started");
    runWindowVisible_ = isVisible();
    lastDisplay_ = Clock::now();
    // A run that fails (memory running out for a huge figure) ends where it
    // stopped: the window returns to editing with every value as it was, the
    // picture keeps what was drawn, and the user is told why it stopped.
    std::optional<QString> failure;
    try {
        const int type = FractalType_cmb->currentIndex();
        if (fractalTypeAt(type)) {
            DrawFractal(model_, static_cast<std::uint8_t>(type), *this, runRandom());
        }
    } catch (const std::bad_alloc&) {
        failure =
            QStringLiteral("The memory ran out; the picture shows what was drawn until then.");
    } catch (const std::exception& e) {
        failure = QStringLiteral("The drawing failed: %1").arg(QString::fromLocal8Bit(e.what()));
    }
    // What the last elements drew and counted may not be on the screen yet.
    showRunProgress();
    runActive_ = false;
    qCDebug(runLog, "run ended, elements %lld", static_cast<long long>(model_.ElementsDrawn));
    showCanvasHourglass();
    finishRun();
    if (failure) {
        dialogs_.message(QStringLiteral("Drawing stopped:"), *failure, MessageIcon::Exclamation,
                         MessageButtons::Ok);
    }
}

void MainForm::cancelRun() {
    ImageCanvas& canvas = Output_pic->canvas();
    canvas.Clear();
    canvas.SetPenWidth(2);
    if (showsFixPoints()) {
        DrawFixPointsPreview();
    }
    canvas.Refresh();
    finishRun();
}

void MainForm::finishRun() {
    ManageGlobalStates(EditMode);
    Draw_btn->setText(QStringLiteral("&Draw Fractal"));
    setRunControlsEnabled(true);
    // The chaos game and the demos hide the markers while they are selected.
    if (showsFixPoints()) {
        for (QLabel* marker : FixPoint_img) {
            marker->show();
        }
    }
}

// Every control through which a run's parameters could change, in the order
// they are locked and unlocked. A frame takes the controls inside it along;
// a control that was disabled on its own stays disabled when its frame returns.
void MainForm::setRunControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             FractalType_cmb, Import_btn, CommonParameter_frm, DrawModes_frm, FixPoints_frm,
             CantorSet_frm, Cross_frm, LSystem_frm}) {
        w->setEnabled(enabled);
    }
}

// Seeded once, at the first run: two runs of the same figure play differently.
RandomSource& MainForm::runRandom() {
    if (!random_) {
        random_.emplace(static_cast<std::uint64_t>(
            std::chrono::system_clock::now().time_since_epoch().count()));
    }
    return *random_;
}

} // namespace zv
