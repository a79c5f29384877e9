// How closely the window's runs keep to their designed pace, and how soon they
// answer the user. Starts the real window, draws two workloads through the draw
// button and prints for each the run's wall time, the time its element counter
// was designed to sleep (10 ms per counter text) and their ratio; then, on a
// longer run, the latency from a posted S to the run being paused, from a
// second S to the next element drawn, and from a cancel click to the run's
// return, while running and while paused. The window runs offscreen, and once
// more on the X display when DISPLAY is set. Prints figures; never fails on time.
//
// The latencies count from the moment the input was due: a timer posts it, and
// a timer fires only when the run reads its events, as a key or a click would
// be read.

#include "Dialogs.h"
#include "FileMod.h"
#include "MainForm.h"
#include "ParameterModel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double median(std::vector<double> v) {
    if (v.empty()) {
        return -1;
    }
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A run never needs a dialog; should one be asked for, it is answered at once.
class SilentDialogs : public zv::Dialogs {
public:
    zv::MessageResult message(const QString& title, const QString& text, zv::MessageIcon,
                              zv::MessageButtons) override {
        std::printf("unexpected message: %s %s\n", qPrintable(title), qPrintable(text));
        return zv::MessageResult::Cancel;
    }
    std::optional<std::int32_t> chooseColor(std::int32_t) override { return std::nullopt; }
    zv::FileDialogResult openFile(const zv::FileDialogRequest&) override { return {}; }
    zv::FileDialogResult saveFile(const zv::FileDialogRequest&) override { return {}; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::unique_ptr<zv::ProgressReport> progress(const QString&, const QString&) override {
        struct Quiet : zv::ProgressReport {
            bool Show(std::int64_t, std::int64_t) override { return true; }
        };
        return std::make_unique<Quiet>();
    }
};

// The real window, counting what the run asks it to sleep and noting when the
// run draws; everything else is the window's own.
class MeasuredForm : public zv::MainForm {
public:
    using MainForm::MainForm;

    double designedSleepMs = 0;
    double sleptMs = 0;                 // wall time inside the sleeps
    double yieldMs = 0;                 // wall time inside the yields
    std::function<void()> afterElement; // called in the run's yield after each element

    void Sleep(int milliseconds) override {
        designedSleepMs += milliseconds;
        const Clock::time_point start = Clock::now();
        MainForm::Sleep(milliseconds);
        sleptMs += msBetween(start, Clock::now());
    }
    QPushButton* drawButton() const { return findChild<QPushButton*>(QStringLiteral("Draw_btn")); }

    void YieldToEvents() override {
        if (afterElement) {
            afterElement();
        }
        const Clock::time_point start = Clock::now();
        MainForm::YieldToEvents();
        yieldMs += msBetween(start, Clock::now());
    }
};

// Notes when a posted S reaches the window (it switches the state there).
class KeySeen : public QObject {
public:
    Clock::time_point seen{};
    bool armed = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (armed && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_S) {
            seen = Clock::now();
            armed = false;
        }
        return false;
    }
};

struct Workload {
    const char* name;
    zv::GeneralValues general;
    zv::FractalParameters records;
};

Workload kochD6() {
    Workload w{"recursive Koch D = 6, one segment", {}, {}};
    w.general = {.FractalType = zv::KochCurveType,
                 .AreaWidth = QStringLiteral("500"),
                 .AreaHeight = QStringLiteral("300"),
                 .CalcDepth = QStringLiteral("6")};
    w.records.KochCurve.DrawMode = zv::RecursiveMode;
    w.records.KochCurve.FixPoints = {{10, 250}, {490, 250}};
    w.records.KochCurve.ConnectLast = false;
    return w;
}

Workload plant(int depth) {
    Workload w{depth == 5 ? "plant L-system, depth 5" : "plant L-system, depth 6", {}, {}};
    w.general = {.FractalType = zv::LSystemType,
                 .AreaWidth = QStringLiteral("500"),
                 .AreaHeight = QStringLiteral("300"),
                 .CalcDepth = QString::number(depth)};
    w.records.LSystem.FixPoints = {{{250, 295}, {250, 0}}};
    // Moved in rather than assigned from a literal: GCC 12 warns falsely
    // (-Wrestrict) about that assignment once it is inlined here.
    w.records.LSystem.InitiatorString = std::string("F");
    w.records.LSystem.GeneratorString = std::string("F[+F]F[-F]F");
    w.records.LSystem.LineLength = depth == 5 ? 1.2 : 0.4;
    w.records.LSystem.Delta = 25.7;
    return w;
}

// A shown window whose settings hold the workload.
struct Window {
    zv::ParameterModel model;
    SilentDialogs dialogs;
    QTemporaryDir folder;
    std::unique_ptr<MeasuredForm> form;

    explicit Window(const Workload& w) {
        zv::FractalParameters records = w.records;
        if (auto error = zv::WriteSettingsFile(folder.filePath(QStringLiteral("User.ini")),
                                               w.general, records)) {
            std::printf("cannot write the settings: %s\n", qPrintable(*error));
        }
        form = std::make_unique<MeasuredForm>(model, dialogs, folder.path());
        form->show();
        (void)QTest::qWaitForWindowExposed(form.get());
        form->activateWindow();
        QTest::qWait(50); // the type selection after start-up
    }
};

void postS(QWidget* form) {
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : form;
    QCoreApplication::postEvent(target,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, "s"));
    QCoreApplication::postEvent(
        target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_S, Qt::NoModifier, "s"));
}

void postCancel(QPushButton* button) {
    QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
}

// Calls action once the time is due (in the run's event passes), passing the
// moment it was due.
void at(Clock::time_point due, std::function<void(Clock::time_point)> action) {
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
    QTimer::singleShot(std::max<std::chrono::milliseconds::rep>(wait.count(), 0),
                       Qt::PreciseTimer, [due, action = std::move(action)] { action(due); });
}

void pace(const Workload& w, int runs) {
    std::vector<double> ratios, walls, sleeps, slept, yields;
    std::int64_t elements = 0;
    for (int i = 0; i < runs; ++i) {
        Window window(w);
        const Clock::time_point start = Clock::now();
        window.form->drawButton()->click(); // returns when the run has ended
        const double wall = msBetween(start, Clock::now());
        elements = window.model.ElementsDrawn;
        walls.push_back(wall);
        sleeps.push_back(window.form->designedSleepMs);
        slept.push_back(window.form->sleptMs);
        yields.push_back(window.form->yieldMs);
        ratios.push_back(wall / window.form->designedSleepMs);
    }
    std::printf("%s: %lld elements; wall %.0f ms, designed sleep %.0f ms, ratio %.3f (median "
                "of %d; ratios",
                w.name, static_cast<long long>(elements), median(walls), median(sleeps),
                median(ratios), runs);
    for (const double r : ratios) {
        std::printf(" %.3f", r);
    }
    std::printf(")\n  of the wall time: %.0f ms in the sleeps, %.0f ms in the yields after elements\n",
                median(slept), median(yields));
    std::fflush(stdout);
}

struct Latencies {
    std::vector<double> pause, resume, cancelRunning, cancelPaused;
};

// S while running, S while paused, then a cancel while running.
void latencyRunning(Latencies& l) {
    Window window(plant(6));
    MeasuredForm* form = window.form.get();
    KeySeen keys;
    qApp->installEventFilter(&keys); // after the window's filter: sees the key first
    Clock::time_point resumeDue{}, cancelDue{};
    bool waitingForElement = false;
    std::int64_t elementsAtResume = 0;
    form->afterElement = [&] {
        if (waitingForElement && window.model.ElementsDrawn > elementsAtResume) {
            l.resume.push_back(msBetween(resumeDue, Clock::now()));
            waitingForElement = false;
        }
    };
    at(Clock::now() + std::chrono::milliseconds(300), [&](Clock::time_point due) {
        keys.armed = true;
        postS(form);
        at(due + std::chrono::milliseconds(300), [&, due](Clock::time_point resume) {
            if (keys.seen > due) {
                l.pause.push_back(msBetween(due, keys.seen));
            }
            resumeDue = resume;
            elementsAtResume = window.model.ElementsDrawn;
            waitingForElement = true;
            postS(form);
            at(resume + std::chrono::milliseconds(300), [&](Clock::time_point cancel) {
                cancelDue = cancel;
                postCancel(form->drawButton());
            });
        });
    });
    form->drawButton()->click();
    if (cancelDue != Clock::time_point{}) {
        l.cancelRunning.push_back(msBetween(cancelDue, Clock::now()));
    }
    qApp->removeEventFilter(&keys);
}

// S while running, then a cancel while paused.
void latencyPaused(Latencies& l) {
    Window window(plant(6));
    MeasuredForm* form = window.form.get();
    Clock::time_point cancelDue{};
    at(Clock::now() + std::chrono::milliseconds(300), [&](Clock::time_point due) {
        postS(form);
        at(due + std::chrono::milliseconds(300), [&](Clock::time_point cancel) {
            cancelDue = cancel;
            postCancel(form->drawButton());
        });
    });
    form->drawButton()->click();
    if (cancelDue != Clock::time_point{}) {
        l.cancelPaused.push_back(msBetween(cancelDue, Clock::now()));
    }
}

int measure() {
    std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
    pace(kochD6(), 3);
    pace(plant(5), 3);
    Latencies l;
    for (int i = 0; i < 5; ++i) {
        latencyRunning(l);
        latencyPaused(l);
    }
    std::printf("latency, median of 5 (ms): S to paused %.1f; S to drawing again (paused) %.1f; "
                "cancel to return: running %.1f, paused %.1f\n",
                median(l.pause), median(l.resume), median(l.cancelRunning),
                median(l.cancelPaused));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool child = argc > 1 && qstrcmp(argv[1], "--measure") == 0;
    if (child) {
        QApplication app(argc, argv);
        QApplication::setStyle(QStringLiteral("Fusion"));
        return measure();
    }
    // One process per platform: a QApplication chooses its platform once.
    QCoreApplication app(argc, argv);
    QStringList platforms{QStringLiteral("offscreen")};
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        platforms << QStringLiteral("xcb");
    }
    int failures = 0;
    for (const QString& platform : platforms) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--measure"), QStringLiteral("-platform"), platform});
        child.waitForFinished(-1);
        failures += child.exitCode() != 0 ? 1 : 0;
    }
    return failures;
}
