// The window as the host of a drawing run: what the engine asks of it between
// elements (RunHost). The run executes inside the draw button's click
// (MainFormDraw.cpp) and meets the window's event loop here: the yield after
// each element, the sleeps that set the run's pace, the naps of a pause, the
// single step's pause, the counter texts and the background colour.

#include "MainForm.h"

#include "ColorSwatch.h"
#include "KeyedStatusBar.h"
#include "OutputPicture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
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

// During a run a counter text waits in pending until the run next shows its
// progress (showRunProgress, at display rate): a repaint of the status bar
// after every 15th element cost the run more than its drawing.
void setCounterText(StatusPanel* panel, std::optional<QString>& pending, bool duringRun,
                    std::string_view text) {
    QString t = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    if (duringRun) {
        pending = std::move(t);
    } else {
        panel->setText(t);
    }
}

} // namespace

void MainForm::EnterPauseMode() {
    sleepPace_.restart(); // a single step starts the pace afresh
    ManageGlobalStates(PauseMode);
}

void MainForm::SetElementsText(std::string_view text) {
    setCounterText(StatusBar->panel(QStringLiteral("ElementsCount")), pendingElementsText_,
                   runActive_, text);
}

void MainForm::SetRecursionsText(std::string_view text) {
    setCounterText(StatusBar->panel(QStringLiteral("RecursionsCount")), pendingRecursionsText_,
                   runActive_, text);
}

std::int32_t MainForm::BackColor() const {
    return BackColor_pic->color();
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
