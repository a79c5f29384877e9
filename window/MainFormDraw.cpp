// The draw command and the window as the host of a drawing run.
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
#include "KeyedStatusBar.h"
#include "Logging.h"
#include "OutputPicture.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <exception>
#include <new>
#include <optional>
#include <thread>

namespace zv {

namespace {

using Clock = std::chrono::steady_clock;

// A run hands its elements to the window far faster than a screen shows them.
// Input is read after every element, but what the run drew and the counter
// texts go to the screen at display rate, and always before a sleep (which
// then paints them while it waits), a pause and the end of a run: each repaint
// after an element was time the run's designed pace did not have.
constexpr std::chrono::milliseconds DisplayInterval{16};

// A sleep handles events while it waits, woken by a timer this much before
// its end; the rest it sleeps exactly. A timer wakes in whole milliseconds,
// late by up to one, and the run sleeps 10 ms every 15 elements.
constexpr std::chrono::milliseconds ExactSleep{2};

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

// Schedules the repaint of what the run drew and shows the counter texts it
// wrote since the last time.
void MainForm::showRunProgress() {
    lastDisplay_ = Clock::now();
    showCanvasHourglass();
    Output_pic->flush();
    if (pendingElementsText_) {
        StatusBar->panel(QStringLiteral("ElementsCount"))->setText(*pendingElementsText_);
        pendingElementsText_.reset();
    }
    if (pendingRecursionsText_) {
        StatusBar->panel(QStringLiteral("RecursionsCount"))->setText(*pendingRecursionsText_);
        pendingRecursionsText_.reset();
    }
}

void MainForm::YieldToEvents() {
    if (!runActive_) {
        Output_pic->flush();
    } else if (Clock::now() - lastDisplay_ >= DisplayInterval) {
        showRunProgress();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // A window that was closed while a run was under way would otherwise keep
    // drawing, or stay paused for ever, out of sight: the run is cancelled.
    if (runActive_ && runWindowVisible_ && !isVisible() && model_.GlobalState != EditMode) {
        ManageGlobalStates(EditMode);
    }
}

// The window keeps handling its events while a run sleeps (a pause naps
// 100 ms at a time; the element counter sleeps 10 ms), so it repaints and
// takes the S key at once; waiting for events costs no processor time. Each
// sleep keeps the run's pace (SleepPace.h).
void MainForm::Sleep(int milliseconds) {
    const Clock::duration length = std::chrono::milliseconds(std::max(milliseconds, 0));
    const Clock::time_point deadline = sleepPace_.deadline(Clock::now(), length);
    waitUntil(deadline, false);
    sleepPace_.ended(deadline, Clock::now(), length);
}

void MainForm::PauseNap(int milliseconds) {
    sleepPace_.restart();
    waitUntil(Clock::now() + std::chrono::milliseconds(milliseconds), true);
}

// Handles events until the deadline, or with untilStateChanges until an event
// changed GlobalState (ManageGlobalStates ends the wait). One timer, restarted
// for each wait, ends the event loop shortly before the deadline, and the rest
// is slept to the deadline itself: a timer wakes in whole milliseconds, late
// by up to one, and the run sleeps 10 ms every 15 elements.
void MainForm::waitUntil(Clock::time_point deadline, bool untilStateChanges) {
    if (deadline <= Clock::now()) {
        return;
    }
    if (runActive_) {
        showRunProgress(); // painted while the run waits
    }
    if (napTimer_ == nullptr) {
        napTimer_ = new QTimer(this);
        napTimer_->setSingleShot(true);
        napTimer_->setTimerType(Qt::PreciseTimer);
    }
    const std::uint8_t stateOnEntry = model_.GlobalState;
    auto stateChanged = [&] { return untilStateChanges && model_.GlobalState != stateOnEntry; };
    while (!stateChanged()) {
        const Clock::duration left = deadline - Clock::now();
        if (left <= ExactSleep || QCoreApplication::closingDown()) {
            // Once the application is quitting an event loop returns at once:
            // the run still gets its sleep, without events.
            std::this_thread::sleep_until(deadline);
            return;
        }
        QEventLoop loop;
        connect(napTimer_, &QTimer::timeout, &loop, &QEventLoop::quit);
        QEventLoop* const outer = napLoop_;
        if (untilStateChanges) {
            napLoop_ = &loop;
        }
        napTimer_->start(std::chrono::duration_cast<std::chrono::milliseconds>(left - ExactSleep));
        loop.exec();
        napTimer_->stop();
        napLoop_ = outer;
    }
}

} // namespace zv
