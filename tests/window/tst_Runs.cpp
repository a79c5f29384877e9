// Run states and the draw command: what each state shows, the S key and
// Ctrl+P wherever the focus is, the controls locked during a run, cancelling,
// single steps, and what the drawing area and the markers show afterwards.
//
// A run executes inside the click; the tests act on it from a polling timer
// that fires in the run's event passes, as the user's clicks and keys do.
// A guard cancels a run that a faulty window would never end.

#include "WindowTestSupport.h"

#include "KeyedStatusBar.h"

#include <QSignalSpy>
#include <chrono>
#include <functional>
#include <thread>

using namespace zvtest;

namespace {

struct State {
    const char* tag;
    int mode; // -1: no option selected
    int state;
    QColor icon;
    bool recursionsShown;
};
struct Key {
    const char* tag;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    const char* focus;
    int before;
    int after;
    int pictures;
};
struct Ending {
    const char* tag;
    int type;
    int mode;
    int depth;
    bool cancel;
    bool markers; // shown afterwards, with the preview after a cancel
};

// Calls step every few milliseconds, inside the run's event passes, until it
// returns true.
struct Script : QTimer {
    bool done = false;
    explicit Script(const std::function<bool()>& step) {
        connect(this, &QTimer::timeout, [this, step] { done = done || step(); });
        start(5);
    }
};

const QStringList Locked = {"FractalType_cmb", "Import_btn",    "CommonParameter_frm",
                            "DrawModes_frm",   "FixPoints_frm", "CantorSet_frm",
                            "Cross_frm",       "LSystem_frm"};
const QStringList Help = {"arrange the Fixpoint on the left to your desire", "pause with S",
                          "resume with S"};

} // namespace

Q_DECLARE_METATYPE(State)
Q_DECLARE_METATYPE(Key)
Q_DECLARE_METATYPE(Ending)

class tst_Runs : public QObject {
    Q_OBJECT
    FormFixture f;
    bool guardFired = false;

    zv::StatusPanel* panel(const char* key) const {
        return f.form->StatusBar->panel(QString::fromLatin1(key));
    }
    const QImage& picture() const { return f.form->Output_pic->canvas().image(); }
    int ink() const { return picture().width() * picture().height() - f.pixelsOf(0xFFFFFF); }
    void selectMode(int mode) {
        for (QRadioButton* opt : f.form->DrawMode_opt) {
            opt->setAutoExclusive(false);
            opt->setChecked(false);
            opt->setAutoExclusive(true);
        }
        if (mode >= 0) {
            f.form->DrawMode_opt.at(static_cast<std::size_t>(mode))->setChecked(true);
        }
    }
    // Shows a type with its factory points, whose figures fit the drawing area.
    void prepare(int type, int mode, int depth, bool pause = false) {
        QVERIFY(f.selectType(type));
        selectMode(mode);
        f.form->CalcDepth_txt->setText(QString::number(depth));
        f.form->Pause_chk->setChecked(pause);
    }
    void draw(const std::function<void()>& press = {}) {
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, this, [this] {
            guardFired = true;
            f.form->ManageGlobalStates(zv::EditMode);
        });
        guardFired = false;
        guard.start(30000);
        press ? press() : f.form->Draw_btn->click();
    }
    void expectEditState() {
        QCOMPARE(f.model.GlobalState, zv::EditMode);
        QCOMPARE(f.form->Draw_btn->text(), QString("&Draw Fractal"));
        for (const QString& name : Locked) {
            QVERIFY2(f.find(name)->isEnabled(), qPrintable(name));
        }
        QVERIFY(panel("ElementsCount")->isHidden() && panel("RecursionsCount")->isHidden());
        QCOMPARE(f.form->Output_pic->canvas().PenWidth(), 2);
    }

private slots:
    void initTestCase() {
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(f.open());
    }
    void cleanup() {
        f.form->ManageGlobalStates(zv::EditMode);
        f.form->Pause_chk->setChecked(false);
    }

    void globalStates_data() {
        table<State>({{"edit", 0, 0, Qt::green, false},
                      {"working, recursive", 0, 1, Qt::red, true},
                      {"working, no mode", -1, 1, Qt::red, true},
                      {"working, chaos game", 1, 1, Qt::red, false},
                      {"paused", 0, 2, Qt::yellow, true}});
    }
    void globalStates() {
        QFETCH(State, row);
        selectMode(row.mode);
        f.form->SetRecursionsText("Recursions: 77");
        f.form->SetElementsText("Elements drawn: 88");
        f.form->ManageGlobalStates(static_cast<std::uint8_t>(std::min(row.state, 1)));
        f.form->ManageGlobalStates(static_cast<std::uint8_t>(row.state)); // a pause follows work
        QCOMPARE(int(f.model.GlobalState), row.state);
        QCOMPARE(panel("GlobalState")->toolTip(),
                 QStringList({"EditMode", "WorkingMode", "PauseMode"})[row.state]);
        const QImage icon = f.form->GSIcon_pic.at(std::size_t(row.state))->pixmap().toImage();
        QCOMPARE(panel("GlobalState")->pixmap().toImage(), icon);
        const QColor centre = icon.pixelColor(8, 8);
        QCOMPARE(QColor(centre.red() & 0x80 ? 255 : 0, centre.green() & 0x80 ? 255 : 0,
                        centre.blue() & 0x80 ? 255 : 0),
                 row.icon);
        QCOMPARE(panel("Help")->text(), Help[row.state]);
        QCOMPARE(!panel("RecursionsCount")->isHidden(), row.recursionsShown);
        QCOMPARE(!panel("ElementsCount")->isHidden(), row.state != 0);
        QCOMPARE(f.form->Output_pic->canvas().PenWidth(), row.state == 0 ? 2 : 1);
        if (row.state == 1) {
            QCOMPARE(panel("ElementsCount")->text(), QString("Elements drawn: 0"));
            QCOMPARE(panel("RecursionsCount")->text(),
                     QString("Recursions: %1").arg(row.recursionsShown ? 0 : 77));
        }
        selectMode(0);
    }

    // S pauses and resumes only a run, whatever the modifiers; the focused
    // control still gets the key. Ctrl+P (only) asks for the picture.
    void keys_data() {
        const auto ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        table<Key>({{"S in edit, in a field: nothing", Qt::Key_S, {}, "CalcDepth_txt", 0, 0, 0},
                    {"S working: pause", Qt::Key_S, {}, "Draw_btn", 1, 2, 0},
                    {"Ctrl+Shift+S paused: resume", Qt::Key_S, ctrlShift, "Draw_btn", 2, 1, 0},
                    {"S working, in a field", Qt::Key_S, {}, "CalcDepth_txt", 1, 2, 0},
                    {"S paused, on the type list", Qt::Key_S, {}, "FractalType_cmb", 2, 1, 0},
                    {"Ctrl+P working, in a field", Qt::Key_P, Qt::ControlModifier, "CalcDepth_txt",
                     1, 1, 1},
                    {"P", Qt::Key_P, {}, "Draw_btn", 0, 0, 0},
                    {"Ctrl+Shift+P", Qt::Key_P, ctrlShift, "Draw_btn", 0, 0, 0}});
    }
    void keys() {
        QFETCH(Key, row);
        f.form->ManageGlobalStates(static_cast<std::uint8_t>(row.before));
        f.find(row.focus)->setFocus(Qt::TabFocusReason);
        auto* field = qobject_cast<QLineEdit*>(f.find(row.focus));
        if (field != nullptr) {
            field->setText("1");
            field->end(false);
        }
        QSignalSpy pictures(f.form.get(), &zv::MainForm::pictureExportRequested);
        f.key(row.key, row.mods);
        QCOMPARE(pictures.count(), row.pictures);
        QCOMPARE(int(f.model.GlobalState), row.after);
        QCOMPARE(panel("Help")->text(), Help[row.after]);
        if (field != nullptr) {
            QCOMPARE(field->text(), row.key == Qt::Key_S ? QString("1s") : QString("1"));
            field->setText("10");
        }
    }

    // While a run is under way the parameters cannot change, the caption
    // offers the cancel, and the bar button, export and the drawing area stay
    // usable; afterwards everything returns.
    void locking_data() { boolRows("pause", "running", "pause after each op."); }
    void locking() {
        QFETCH(bool, pause);
        prepare(zv::KochCurveType, zv::RecursiveMode, 6, pause);
        QString caption, help;
        int hiddenDuring = -1;
        QStringList lockedDuring, usableDuring;
        Script script([&] {
            caption = f.form->Draw_btn->text();
            help = panel("Help")->text();
            for (const QString& name :
                 Locked + QStringList{"Draw_btn", "Params_btn", "Export_btn", "Output_pic"}) {
                (f.find(name)->isEnabled() ? usableDuring : lockedDuring) << name;
            }
            hiddenDuring = f.hiddenMarkers();
            f.form->Draw_btn->click();
            return true;
        });
        draw();
        QVERIFY(script.done);
        QCOMPARE(caption, QString("&Cancel"));
        QCOMPARE(help, Help[pause ? 2 : 1]);
        QCOMPARE(lockedDuring, Locked);
        QCOMPARE(usableDuring, QStringList({"Draw_btn", "Params_btn", "Export_btn", "Output_pic"}));
        QCOMPARE(hiddenDuring, f.rows());
        expectEditState();
        QCOMPARE(f.hiddenMarkers(), 0);
    }

    // With "Pause after each op." the run starts paused and draws nothing;
    // each S draws exactly one element, the counter shown at once; a cancel
    // from the pause draws nothing more.
    void singleSteps() {
        prepare(zv::KochCurveType, zv::TurtleGraphicsMode, 3, true);
        int step = 0, inkBeforeS = -1;
        Script script([&] {
            if (f.model.GlobalState != zv::PauseMode || f.model.ElementsDrawn != step ||
                panel("ElementsCount")->text() != QString("Elements drawn: %1").arg(step)) {
                return false;
            }
            inkBeforeS = step == 0 ? ink() : inkBeforeS;
            if (step++ == 2) {
                f.form->Draw_btn->click();
                return true;
            }
            f.key(Qt::Key_S);
            return false;
        });
        draw();
        QVERIFY(script.done);
        QCOMPARE(inkBeforeS, 0);
        QCOMPARE(f.model.ElementsDrawn, 2);
        expectEditState();
    }

    // A resume or a cancel ends the paused run's nap at once: counted in event
    // passes, the next element (or the run's return) follows within a pass or
    // two, not after the rest of the nap.
    void pauseAnswersAtOnce_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("resume") << false;
        QTest::newRow("cancel") << true;
    }

    void pauseAnswersAtOnce() {
        QFETCH(bool, cancel);
        prepare(zv::KochCurveType, zv::TurtleGraphicsMode, 3, true);
        int passes = 0;
        int passesAtInput = -1;
        int passesToAnswer = -1;
        QTimer ticker; // fires in every event pass
        connect(&ticker, &QTimer::timeout, this, [&] {
            ++passes;
            if (passesAtInput < 0 && passes == 3 && f.model.GlobalState == zv::PauseMode) {
                passesAtInput = passes;
                cancel ? f.form->Draw_btn->click() : f.form->ManageGlobalStates(zv::WorkingMode);
            } else if (passesAtInput > 0 && passesToAnswer < 0 && f.model.ElementsDrawn > 0) {
                passesToAnswer = passes - passesAtInput;
                f.form->Draw_btn->click();
            }
        });
        ticker.start(0);
        draw();
        if (cancel) {
            passesToAnswer = passes - passesAtInput;
        }
        ticker.stop();
        QVERIFY(passesAtInput > 0);
        QVERIFY2(passesToAnswer >= 0 && passesToAnswer < 5, qPrintable(QString::number(passesToAnswer)));
    }

    // A sleep that ended late shortens the next one, so the run keeps its pace;
    // a pause in between starts the pace afresh. Counted in the event passes of
    // the sleep at element 30, after the one at element 15 was held up 25 ms.
    void lateSleepShortensTheNext_data() { boolRows("pause", "late", "paused between"); }
    void lateSleepShortensTheNext() {
        QFETCH(bool, pause);
        prepare(zv::KochCurveType, zv::TurtleGraphicsMode, 3);
        int toggles = 0, passesAt30 = 0;
        QTimer ticker; // fires in every event pass
        connect(&ticker, &QTimer::timeout, this, [&] {
            const std::int64_t n = f.model.ElementsDrawn;
            if (n == 15 && toggles == 0) {
                toggles = pause ? 1 : 3;
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
            } else if (n == 20 && toggles < 3) {
                f.form->ManageGlobalStates(toggles++ == 1 ? zv::PauseMode : zv::WorkingMode);
            }
            passesAt30 += n == 30 ? 1 : 0;
        });
        ticker.start(0);
        draw();
        QVERIFY(toggles == 3 && f.model.ElementsDrawn > 30);
        QVERIFY2(pause == (passesAt30 > 5), qPrintable(QString::number(passesAt30)));
    }

    // A cancel stops the run before its next element and leaves only the fix
    // point preview, or nothing after the chaos game and the demos, whose
    // markers stay hidden; a finished run leaves its drawing, also after repaints.
    void endings_data() {
        table<Ending>({{"cancelled koch curve", 3, 0, 7, true, true},
                       {"cancelled chaos game", 2, 1, 2000000, true, false},
                       {"finished cantor set", 0, 0, 3, false, true},
                       {"finished cantor demo", 0, 3, 3, false, false},
                       {"finished chaos game", 2, 1, 3000, false, false}});
    }
    void endings() {
        QFETCH(Ending, row);
        prepare(row.type, row.mode, row.depth);
        f.form->Output_pic->canvas().Clear();
        f.model.RecursionsDone = -1;
        std::int64_t atCancel = -1;
        Script script([&] {
            if (!row.cancel || f.model.ElementsDrawn < 1) {
                return false;
            }
            atCancel = f.model.ElementsDrawn;
            f.form->Draw_btn->click();
            // A start click queued behind the cancel arrives while the run is
            // still unwinding: it must not start a run inside this one.
            f.form->Draw_btn->click();
            return true;
        });
        draw();
        QCOMPARE(f.model.ElementsDrawn, row.cancel ? atCancel : f.model.ElementsDrawn);
        QVERIFY(f.model.RecursionsDone >= 0 && f.model.ElementsDrawn > 0);
        expectEditState();
        QCOMPARE(f.hiddenMarkers(), row.markers ? 0 : f.rows());
        const QImage drawn = picture().copy();
        QTest::qWait(30);
        QCOMPARE(picture(), drawn);
        if (row.cancel && row.markers) {
            f.form->DrawFixPointsPreview();
            QCOMPARE(picture(), drawn);
        } else {
            QCOMPARE(ink() > 0, !row.cancel);
        }
    }

    // Enter in a field checks the field first, as leaving it would, so the run
    // uses what the field then shows.
    void enterInField() {
        prepare(zv::CantorSetType, zv::RecursiveMode, 1);
        f.model.RecursionsDone = -1;
        f.form->CalcDepth_txt->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(f.form->CalcDepth_txt, "abc");
        draw([this] { f.key(Qt::Key_Return); });
        QVERIFY(f.model.RecursionsDone >= 0);
        QCOMPARE(f.model.CalcDepth, 4);
        QCOMPARE(f.form->CalcDepth_txt->text(), QString("4"));
        expectEditState();
    }

    // The window's generator is seeded once, not per run: two chaos games with
    // the same parameters play different points.
    void chaosGamesDiffer() {
        prepare(zv::SierpinskyGadgetType, zv::ChaosGameMode, 2000);
        draw();
        const QImage first = picture().copy();
        draw();
        QVERIFY(ink() > 0 && first != picture());
    }
};

QTEST_MAIN(tst_Runs)
#include "tst_Runs.moc"
