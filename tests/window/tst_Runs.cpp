// Run states and the draw command: what each state shows, the S key and
// Ctrl+P wherever the focus is, the controls locked during a run, cancelling,
// single steps, and what the drawing area and the markers show afterwards.
//
// A run executes inside the click; the tests act on it from a timer that fires
// in every event pass of the run, as the user's clicks and keys arrive.

#include "AnimationFiles.h"
#include "WindowTestSupport.h"

#include "KeyedStatusBar.h"

#include <QSignalSpy>
#include <chrono>
#include <functional>
#include <thread>

using namespace zvtest;

namespace {

struct Key {
    const char* tag;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    const char* focus;
    int before;
    int after;
    int pictures;
};
struct BuildUp {
    const char* tag;
    const char* format;
    int cancelAt; // the progress box's step at which the user cancels, 0 never
    bool duringRun;
};

struct Ending {
    const char* tag;
    int type;
    int mode;
    int depth;
    bool cancel;
};

// Counts event passes and calls step in each until it returns true.
struct Script : QTimer {
    bool done = false;
    int passes = 0;
    explicit Script(const std::function<bool()>& step) {
        connect(this, &QTimer::timeout, [this, step] {
            ++passes;
            done = done || step();
        });
        start(0);
    }
};

const QStringList Locked = {"FractalType_cmb", "Import_btn",    "CommonParameter_frm",
                            "DrawModes_frm",   "FixPoints_frm", "CantorSet_frm",
                            "Cross_frm",       "LSystem_frm"};
const QStringList Help = {"arrange the Fixpoint on the left to your desire", "pause with S",
                          "resume with S"};
const QStringList States = {"EditMode", "WorkingMode", "PauseMode"};

} // namespace

Q_DECLARE_METATYPE(Key)
Q_DECLARE_METATYPE(Ending)
Q_DECLARE_METATYPE(BuildUp)

class tst_Runs : public QObject {
    Q_OBJECT
    FormFixture f;

    zv::StatusPanel* panel(const char* key) const { return f.form->StatusBar->panel(key); }
    const QImage& picture() const { return f.form->Output_pic->canvas().image(); }
    int ink() const { return picture().width() * picture().height() - f.pixelsOf(0xFFFFFF); }
    // Shows a type with its factory points, whose figures fit the drawing area.
    void prepare(int type, int mode, int depth, bool pause = false) {
        QVERIFY(f.selectType(type));
        f.form->DrawMode_opt.at(static_cast<std::size_t>(mode))->setChecked(true);
        f.form->CalcDepth_txt->setText(QString::number(depth));
        f.form->Pause_chk->setChecked(pause);
    }
    // A run that never ends fails the test.
    void draw() {
        QObject guard;
        QTimer::singleShot(30000, &guard, [this] {
            f.form->ManageGlobalStates(zv::EditMode);
            QFAIL("the run did not end");
        });
        f.form->Draw_btn->click();
    }
    void expectEditState() {
        QCOMPARE(panel("Help")->text(), Help[0]);
        QCOMPARE(f.form->Draw_btn->text(), QString("&Draw Fractal"));
        for (const QString& name : Locked) {
            QVERIFY2(f.find(name)->isEnabled(), qPrintable(name));
        }
        QCOMPARE(f.form->Output_pic->canvas().PenWidth(), 2);
    }

private slots:
    void initTestCase() { QVERIFY(f.open()); }
    void cleanup() { f.form->ManageGlobalStates(zv::EditMode); }

    // S pauses and resumes only a run, whatever the modifiers; the focused
    // control still gets the key. Ctrl+P (only) asks for the picture.
    void keys_data() {
        const auto ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
        table<Key>({{"S in edit, in a field: nothing", Qt::Key_S, {}, "CalcDepth_txt", 0, 0, 0},
                    {"S working, in a field", Qt::Key_S, {}, "CalcDepth_txt", 1, 2, 0},
                    {"Ctrl+Shift+S paused: resume", Qt::Key_S, ctrlShift, "Draw_btn", 2, 1, 0},
                    {"Ctrl+P", Qt::Key_P, Qt::ControlModifier, "CalcDepth_txt", 1, 1, 1},
                    {"Ctrl+Shift+P", Qt::Key_P, ctrlShift, "Draw_btn", 0, 0, 0}});
    }
    void keys() {
        QFETCH(Key, row);
        f.form->ManageGlobalStates(static_cast<std::uint8_t>(row.before));
        f.find(row.focus)->setFocus(Qt::TabFocusReason);
        f.form->CalcDepth_txt->setText("1");
        QSignalSpy pictures(f.form.get(), &zv::MainForm::pictureExportRequested);
        f.key(row.key, row.mods);
        QCOMPARE(pictures.count(), row.pictures);
        QCOMPARE(int(f.model.GlobalState), row.after);
        QCOMPARE(panel("Help")->text(), Help[row.after]);
        QCOMPARE(panel("GlobalState")->toolTip(), States[row.after]);
        const bool typed = row.key == Qt::Key_S && f.form->CalcDepth_txt->hasFocus();
        QCOMPARE(f.form->CalcDepth_txt->text(), typed ? QString("1s") : QString("1"));
    }

    // While a run is under way the parameters cannot change, the caption
    // offers the cancel, and the bar button, export and the drawing area stay
    // usable; afterwards everything returns.
    void locking() {
        prepare(zv::KochCurveType, zv::RecursiveMode, 6);
        QStringList during;
        Script script([&] {
            during << f.form->Draw_btn->text() << panel("Help")->text()
                   << QString::number(f.form->Output_pic->canvas().PenWidth())
                   << QString::number(f.rows() - f.hiddenMarkers()); // markers shown
            for (const QString& name :
                 Locked + QStringList{"Draw_btn", "Params_btn", "Export_btn", "Output_pic"}) {
                if (!f.find(name)->isEnabled()) {
                    during << name;
                }
            }
            f.form->Draw_btn->click();
            return true;
        });
        draw();
        QCOMPARE(during, QStringList({"&Cancel", Help[1], "1", "0"}) + Locked);
        expectEditState();
    }

    // With "Pause after each op." the run starts paused and draws nothing;
    // each S draws exactly one element, its counter shown, and a cancel ends
    // the run, both within a few event passes, not after the pause's nap.
    void singleSteps() {
        prepare(zv::KochCurveType, zv::TurtleGraphicsMode, 3, true);
        const QImage icon = f.form->GSIcon_pic[2]->pixmap().toImage();
        int step = 0, inputAt = -1, slowest = 0;
        Script script([&] {
            if (inputAt >= 0 && f.model.ElementsDrawn == step) {
                slowest = std::max(slowest, script.passes - inputAt);
                inputAt = -1;
            }
            // Paused, with the pause's icon, nothing drawn before the first S.
            if (f.model.GlobalState != zv::PauseMode || f.model.ElementsDrawn != step ||
                panel("ElementsCount")->text() != QString("Elements drawn: %1").arg(step) ||
                (step == 0 && ink() > 0) || panel("GlobalState")->pixmap().toImage() != icon) {
                return false;
            }
            step++ == 2 ? f.form->Draw_btn->click() : f.key(Qt::Key_S);
            inputAt = script.passes;
            return step > 2;
        });
        draw();
        QCOMPARE(f.model.ElementsDrawn, 2);
        QVERIFY(slowest < 5 && script.passes - inputAt < 5);
        expectEditState();
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
        table<Ending>({{"cancelled koch curve", 3, 0, 7, true},
                       {"cancelled chaos game", 2, 1, 2000000, true},
                       {"finished cantor set", 0, 0, 3, false},
                       {"finished cantor demo", 0, 3, 3, false}});
    }
    void endings() {
        QFETCH(Ending, row);
        prepare(row.type, row.mode, row.depth);
        std::int64_t atCancel = -1;
        QList<bool> counters; // shown during the run: elements, recursions
        Script script([&] {
            if (!row.cancel || f.model.ElementsDrawn < 1) {
                return false;
            }
            atCancel = f.model.ElementsDrawn;
            counters = {panel("ElementsCount")->isVisible(), panel("RecursionsCount")->isVisible()};
            f.form->Draw_btn->click();
            // A start click queued behind the cancel arrives while the run is
            // still unwinding: it must not start a run inside this one.
            f.form->Draw_btn->click();
            return true;
        });
        draw();
        QCOMPARE(f.model.ElementsDrawn, row.cancel ? atCancel : f.model.ElementsDrawn);
        expectEditState();
        // Markers are shown after a recursive run, with the preview after a cancel.
        const bool markers = row.mode == zv::RecursiveMode;
        QCOMPARE(counters, row.cancel ? QList<bool>({true, markers}) : QList<bool>());
        QCOMPARE(f.hiddenMarkers(), markers ? 0 : f.rows());
        const QImage drawn = picture().copy();
        QTest::qWait(30);
        QCOMPARE(picture(), drawn);
        if (row.cancel && markers) {
            f.form->DrawFixPointsPreview();
            QCOMPARE(picture(), drawn);
        } else {
            QCOMPARE(ink() > 0, !row.cancel);
        }
    }

    // Ctrl+Shift+P saves the build-up of the figure the controls hold, drawn
    // off screen: after a run its last frame is Ctrl+P's picture; during a
    // paused run the run, its state and its picture stay as they were; a
    // cancel while counting or drawing leaves no file.
    void buildUp_data() {
        table<BuildUp>({{"GIF after a run", "gif", 0, false},
                        {"WebP after a run", "webp", 0, false},
                        {"GIF during a paused run", "gif", 0, true},
                        {"cancelled while counting", "gif", 1, false},
                        {"cancelled while drawing", "webp", 2, false}});
    }
    void buildUp() {
        QFETCH(BuildUp, row);
        prepare(zv::KochCurveType, zv::RecursiveMode, 4, row.duringRun);
        const QString path = f.path(QString("build-up.") + row.format);
        for (const QString& old : QDir(f.folder.path()).entryList({"build-up*"}, QDir::Files)) {
            QFile::remove(f.path(old));
        }
        zv::FileDialogResult chosen;
        chosen.path = path;
        f.dialogs.fileAnswers << chosen;
        f.dialogs.cancelAtProgressStep = row.cancelAt;
        f.dialogs.calls.clear();
        const auto save = [this] { f.key(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier); };
        QImage before;
        bool untouched = true;
        if (row.duringRun) {
            Script script([&] {
                if (f.model.GlobalState != zv::PauseMode) {
                    return false;
                }
                before = picture().copy();
                const std::int64_t drawn = f.model.ElementsDrawn;
                save();
                untouched = picture() == before && f.model.GlobalState == zv::PauseMode &&
                            f.model.ElementsDrawn == drawn;
                f.form->Draw_btn->click();
                return true;
            });
            draw();
            prepare(zv::KochCurveType, zv::RecursiveMode, 4); // the whole figure, to compare
            draw();
        } else {
            draw();
            before = picture().copy();
            save();
            untouched = picture() == before;
        }
        f.dialogs.cancelAtProgressStep = 0;
        QVERIFY(untouched);
        QCOMPARE(f.dialogs.calls.value(0).title, QString("Animation speichern:"));
        QCOMPARE(f.dialogs.calls.value(1).kind, DialogCall::Progress);
        QCOMPARE(QFile::exists(path), row.cancelAt == 0);
        if (row.cancelAt != 0) {
            QCOMPARE(QDir(f.folder.path()).entryList({"build-up*"}, QDir::Files | QDir::Hidden),
                     {});
            return;
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const Animation a = decode(file.readAll(), row.format);
        QVERIFY(a.frames.size() > 10);
        QCOMPARE(a.frames.last(), picture().convertToFormat(QImage::Format_RGB32));
    }

    // Enter in a field repairs the field first, as leaving it would, so the
    // run uses what the field then shows.
    void enterInField() {
        prepare(zv::CantorSetType, zv::RecursiveMode, 1);
        f.form->CalcDepth_txt->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(f.form->CalcDepth_txt, "abc");
        f.key(Qt::Key_Return);
        QCOMPARE(f.model.CalcDepth, 4);
        QCOMPARE(f.form->CalcDepth_txt->text(), QString("4"));
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
