// The draw command and the window as the host of a drawing run.
//
// A run executes inside the click handler of Draw_btn and lets the event loop
// run between elements, so the cancel click re-enters the same handler while
// the first invocation still waits inside DrawFractal. Both invocations finish
// the run; the second finish changes nothing visible. A click that arrives
// after a cancel but before the cancelled run has unwound (both queued in the
// same pass of the event loop) is ignored: a run never starts inside another.

#include "MainForm.h"

#include "DrawFractal.h"
#include "OutputPicture.h"

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <exception>
#include <thread>

namespace zv {

namespace {

// A run hands its elements to the window far faster than a screen shows them;
// the event loop runs at most this often during a run, so the pass (input,
// the repaint of the changed rectangle) does not cost more than the drawing.
// The run still reads GlobalState before every element, and the state changes
// only inside an event pass, so a cancel or a pause is never missed: it takes
// effect at the next element after the pass that handled it.
constexpr std::chrono::milliseconds EventPassInterval{4};

} // namespace

void MainForm::Draw_btn_Click() {
    e2eLog(QStringLiteral("Draw_btn_Click state %1").arg(int(model_.GlobalState)));
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

    e2eLog(QStringLiteral("run started"));
    runWindowVisible_ = isVisible();
    lastEventPass_ = {};
    const int type = FractalType_cmb->currentIndex();
    if (type >= 0 && type < FractalTypeCount) {
        try {
            DrawFractal(model_, static_cast<std::uint8_t>(type), *this, runRandom());
        } catch (const std::exception& e) {
            // Out of memory for a huge figure: the run ends where it stopped.
            e2eLog(QStringLiteral("run stopped: %1").arg(QString::fromLocal8Bit(e.what())));
        }
    }
    runActive_ = false;
    e2eLog(QStringLiteral("run ended, elements %1").arg(model_.ElementsDrawn));

    // What the last elements drew may not have had its event pass yet.
    Output_pic->flush();
    showCanvasHourglass();
    finishRun();
}

void MainForm::cancelRun() {
    ImageCanvas& canvas = Output_pic->canvas();
    canvas.Clear();
    canvas.SetPenWidth(2);
    if (!DrawMode_opt[ChaosGameMode]->isChecked() && !DrawMode_opt[DemoMode]->isChecked()) {
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
    if (!DrawMode_opt[ChaosGameMode]->isChecked() && !DrawMode_opt[DemoMode]->isChecked()) {
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

// The engine sets the hourglass on the canvas at the start of a run and the
// default pointer at its end; the drawing area shows whichever is set.
void MainForm::showCanvasHourglass() {
    const bool busy = Output_pic->canvas().MousePointer() == HourglassPointer;
    if (busy == hourglassShown_) {
        return;
    }
    hourglassShown_ = busy;
    if (busy) {
        Output_pic->setCursor(Qt::WaitCursor);
    } else {
        Output_pic->unsetCursor();
    }
}

RandomSource& MainForm::runRandom() {
    if (!random_) {
        random_.emplace(static_cast<std::uint64_t>(
            std::chrono::system_clock::now().time_since_epoch().count()));
    }
    return *random_;
}

// --- RunHost -------------------------------------------------------------------

void MainForm::YieldToEvents() {
    if (runActive_) {
        if (std::chrono::steady_clock::now() - lastEventPass_ < EventPassInterval) {
            return;
        }
        showCanvasHourglass();
    }
    Output_pic->flush();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    lastEventPass_ = std::chrono::steady_clock::now();
    // A window that was closed while a run was under way would otherwise keep
    // drawing, or stay paused for ever, out of sight: the run is cancelled.
    if (runActive_ && runWindowVisible_ && !isVisible() && model_.GlobalState != EditMode) {
        ManageGlobalStates(EditMode);
    }
}

// The window keeps handling its events while a run sleeps (a pause wakes every
// 100 ms; the element counter naps 10 ms), so it repaints and takes the S key
// at once; waiting for events costs no processor time.
void MainForm::Sleep(int milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    const QDeadlineTimer deadline(milliseconds, Qt::PreciseTimer);
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    // Once the application is quitting, an event loop returns at once: the
    // run still gets its pause, without events.
    const qint64 left = deadline.remainingTime();
    if (left > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(left));
    }
}

} // namespace zv
