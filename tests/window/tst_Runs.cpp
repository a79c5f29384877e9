// Run states and the draw command: what each state shows, the S key and
// Ctrl+P wherever the focus is, the controls locked during a run, cancelling,
// single steps, the close refused during a run, the drawing area's size read
// anew during a chaos game, what the drawing area and the markers show
// afterwards, and the pace of a run's sleeps.
//
// A run executes inside the click; the tests act on it from a Script, whose
// timer fires in every event pass of the run, as the user's clicks and keys
// arrive. Every state is reached by a real run: a run started with "Pause
// after each op." waits paused before its first element.

#include "AnimationFiles.h"
#include "DataRows.h"
#include "HostileFiles.h"
#include "WindowTestSupport.h"

#include "KeyedStatusBar.h"
#include "SleepPace.h"

using namespace zvtest;

namespace {

const QStringList Locked = {"FractalType_cmb", "Import_btn",    "CommonParameter_frm",
                            "DrawModes_frm",   "FixPoints_frm", "CantorSet_frm",
                            "Cross_frm",       "LSystem_frm"};
const QStringList Help = {"arrange the Fixpoint on the left to your desire", "pause with S",
                          "resume with S"};
const QStringList States = {"EditMode", "WorkingMode", "PauseMode"};

} // namespace

class tst_Runs : public QObject {
    Q_OBJECT
    FormFixture f;

    zv::StatusPanel* panel(const char* key) const { return f.find<zv::StatusPanel>(key); }
    const QImage& picture() const { return f.canvas().image(); }
    // Pixels in rect (all of the picture when null) that are not the white background.
    int ink(QRect rect = QRect()) const {
        const QRect r = rect.isNull() ? picture().rect() : rect & picture().rect();
        return r.width() * r.height() - f.pixelsOf(0xFFFFFF, r);
    }
    // True when the run is in state and has drawn at least elements.
    bool reached(int state, std::int64_t elements = 0) const {
        return f.model.GlobalState == state && f.model.ElementsDrawn >= elements;
    }
    // What the window shows of its state: the draw button's caption, the help
    // text, the pen width and the controls disabled.
    QStringList looks() const {
        QStringList seen = {f.button("Draw_btn")->text(), panel("Help")->text(),
                            QString::number(f.canvas().PenWidth())};
        for (const QString& name :
             Locked + QStringList{"Draw_btn", "Params_btn", "Export_btn", "Output_pic"}) {
            if (!f.find(name)->isEnabled()) {
                seen << name;
            }
        }
        return seen;
    }
    // During a run the parameters cannot change and the button offers the
    // cancel; the bar button, export and the drawing area stay usable.
    static QStringList looksIn(int state) {
        return state == zv::EditMode ? QStringList{"&Draw Fractal", Help[0], "2"}
                                     : QStringList{"&Cancel", Help[state], "1"} + Locked;
    }

private slots:
    void initTestCase() { QVERIFY(f.open()); }
    // No run outlives its test; each test sets up the run it needs.
    void init() {
        QCOMPARE(f.model.GlobalState, zv::EditMode);
        f.dialogs.calls.clear();
    }

    // S pauses and resumes only a run, whatever the modifiers; the focused
    // control still gets the key. Ctrl+P (only) asks for the picture. A close
    // request is refused while a run draws or waits paused, and the run stays.
    // What the window shows and locks follows the state.
    // keys: as a shortcut spells them, none for a close request; before and
    // after: the state the key finds and leaves (no run, a run drawing, a
    // run paused).
    void keys_data() {
        // dialogs: those shown, in one line
        columns<QString, QString, int, int, QString>("keys", "focus", "before", "after", "dialogs");
        const char* refused = "box Not possible: Please abort the current operation first.";
        row("S in edit, in a field: typed", "S", "CalcDepth_txt", 0, 0, "");
        row("S drawing, on the area: pause", "S", "Output_pic", 1, 2, "");
        row("Ctrl+Shift+S paused: resume", "Ctrl+Shift+S", "Draw_btn", 2, 1, "");
        row("Ctrl+P drawing", "Ctrl+P", "Output_pic", 1, 1, "save Bild speichern:");
        row("Ctrl+P paused", "Ctrl+P", "Draw_btn", 2, 2, "save Bild speichern:");
        row("Ctrl+Shift+P: the build-up", "Ctrl+Shift+P", "Draw_btn", 0, 0,
            "save Animation speichern:");
        row("close drawing: refused", "", "Draw_btn", 1, 1, refused);
        row("close paused: refused", "", "Draw_btn", 2, 2, refused);
    }
    void keys() {
        QFETCH(QString, keys);
        QFETCH(QString, focus);
        QFETCH(int, before);
        QFETCH(int, after);
        QVERIFY(f.prepare(zv::KochCurveType, zv::RecursiveMode, 7));
        QStringList seen; // state, its tip and the window's looks after the key; the dialogs
        QVERIFY(f.during(before, [&] {
            f.find(focus)->setFocus(Qt::TabFocusReason); // selects the field's text
            if (keys.isEmpty()) {
                QVERIFY(!f.form->close());
            } else {
                const QKeyCombination key = QKeySequence(keys)[0];
                f.key(key.key(), key.keyboardModifiers());
            }
            seen << QString::number(f.model.GlobalState) << panel("GlobalState")->toolTip()
                 << looks() << f.dialogs.shown().join('|');
        }));
        QFETCH(QString, dialogs);
        QCOMPARE(seen, QStringList({QString::number(after), States[after]}) + looksIn(after)
                           << dialogs);
        const bool typed = keys == "S" && before == zv::EditMode;
        QCOMPARE(f.field("CalcDepth_txt")->text(), typed ? QString("s") : QString("7"));
    }

    // With "Pause after each op." the run starts paused and draws nothing;
    // each S draws exactly one element, its counter shown, and a cancel ends
    // the run, both within a few event passes, not after the pause's nap.
    void singleSteps() {
        QVERIFY(f.prepare(zv::KochCurveType, zv::TurtleGraphicsMode, 3, true));
        const QImage icon = f.at<QLabel>("GSIcon_pic", zv::PauseMode)->pixmap().toImage();
        int step = 0, inputAt = -1, slowest = 0;
        Script script([&] {
            if (inputAt >= 0 && f.model.ElementsDrawn == step) {
                slowest = std::max(slowest, script.passes - inputAt);
                inputAt = -1;
            }
            // Paused, with the pause's icon, nothing drawn before the first S.
            if (!reached(zv::PauseMode) || f.model.ElementsDrawn != step ||
                panel("ElementsCount")->text() != QString("Elements drawn: %1").arg(step) ||
                (step == 0 && ink() > 0) || panel("GlobalState")->pixmap().toImage() != icon) {
                return false;
            }
            step++ == 2 ? f.button("Draw_btn")->click() : f.key(Qt::Key_S);
            inputAt = script.passes;
            return step > 2;
        });
        f.draw();
        QCOMPARE(f.model.ElementsDrawn, 2);
        QVERIFY(slowest < 5 && script.passes - inputAt < 5);
        QCOMPARE(looks(), looksIn(zv::EditMode));
    }

    // A chaos game plots over the whole drawing area as it is now: after the
    // window grew during the game, drawing or paused, its points reach the
    // new parts of the area.
    void chaosGameFollowsResize_data() { boolRows("paused", "while drawing", "while paused"); }
    void chaosGameFollowsResize() {
        QFETCH(bool, paused);
        f.form->resize(1, 1); // the smallest drawing area, 200 x 250
        QTRY_COMPARE(picture().size(), QSize(200, 250));
        QVERIFY(f.prepare(zv::SierpinskyGadgetType, zv::ChaosGameMode, 3000));
        std::int64_t atResize = -1;
        QString states;
        // After 10 points the window grows (the paused row pauses first);
        // once the area has grown, the state is noted (and the run resumed).
        Script script([&] {
            const bool grown = picture().width() == 700;
            if (atResize < 0 ? !reached(zv::WorkingMode, 10) : !grown) {
                return false;
            }
            if (grown) {
                states = States[f.model.GlobalState];
            }
            if (paused) {
                f.key(Qt::Key_S);
            }
            if (!grown) {
                f.form->resize(2000, 2000); // held at the largest area, 700 x 600
                atResize = f.model.ElementsDrawn;
            }
            return grown;
        });
        f.draw();
        QCOMPARE(states, States[paused ? zv::PauseMode : zv::WorkingMode]);
        QCOMPARE(f.model.ElementsDrawn, 3000);
        // Beyond the old area and the markers' numbers there: only the game's points.
        QVERIFY2(ink(QRect(230, 0, 470, 600)) + ink(QRect(0, 280, 230, 320)) > 300,
                 qPrintable(QString::number(atResize)));
    }

    // A sleep that ended late shortens the next one, so the run keeps its
    // pace, by at most a whole sleep; longer work between two sleeps or a
    // pause starts the pace afresh. Per case: how late a sleep of 10 ms
    // ended, the gap before the next one (both in ms), whether a pause came
    // in between, and that next sleep's length.
    void sleepPace() {
        using ms = std::chrono::milliseconds;
        for (const auto& [late, gap, pause, length] :
             {std::tuple(0, 1, false, 10), std::tuple(3, 1, false, 7), std::tuple(25, 1, false, 0),
              std::tuple(3, 11, false, 10), std::tuple(3, 1, true, 10)}) {
            zv::SleepPace pace;
            const auto first = pace.deadline(zv::SleepPace::Clock::time_point(), ms(10));
            pace.ended(first, first + ms(late), ms(10));
            if (pause) {
                pace.restart();
            }
            const auto next = first + ms(late + gap);
            QCOMPARE(int((pace.deadline(next, ms(10)) - next) / ms(1)), length);
        }
    }

    // A cancel stops the run before its next element and leaves only the fix
    // point preview, or nothing after the chaos game and the demos, whose
    // markers stay hidden; a finished run leaves its drawing, also after repaints.
    void endings_data() {
        columns<int, int, int, bool>("type", "mode", "depth", "cancel");
        row("cancelled koch curve", 3, 0, 7, true);
        row("cancelled cross", 1, 0, 7, true);
        row("cancelled chaos game", 2, 1, 2000000, true);
        row("finished cantor set", 0, 0, 3, false);
        row("finished cantor demo", 0, 3, 3, false);
        row("finished gadget demo", 2, 3, 2, false);
    }
    void endings() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(int, depth);
        QFETCH(bool, cancel);
        QVERIFY(f.prepare(type, mode, depth));
        std::int64_t atCancel = -1;
        QList<bool> counters; // shown during the run: elements, recursions
        int markersShown = 0;
        Script script([&] {
            markersShown += f.rows() - f.hiddenMarkers();
            if (!cancel || f.model.ElementsDrawn < 1) {
                return false;
            }
            atCancel = f.model.ElementsDrawn;
            counters = {panel("ElementsCount")->isVisible(), panel("RecursionsCount")->isVisible()};
            f.button("Draw_btn")->click();
            // A start click queued behind the cancel arrives while the run is
            // still unwinding: it must not start a run inside this one.
            f.button("Draw_btn")->click();
            return true;
        });
        f.draw();
        QCOMPARE(f.model.ElementsDrawn, cancel ? atCancel : f.model.ElementsDrawn);
        QCOMPARE(looks(), looksIn(zv::EditMode));
        // Markers are shown after a recursive run, with the preview after a cancel.
        const bool markers = mode == zv::RecursiveMode;
        QCOMPARE(markersShown, 0);
        QCOMPARE(counters, cancel ? QList<bool>({true, markers}) : QList<bool>());
        QCOMPARE(f.hiddenMarkers(), markers ? 0 : f.rows());
        const QImage drawn = picture().copy();
        f.picture()->repaint();
        QCoreApplication::processEvents();
        QCOMPARE(picture(), drawn);
        if (cancel && markers) {
            f.form->DrawFixPointsPreview();
            QCOMPARE(picture(), drawn);
        } else {
            QCOMPARE(ink() > 0, !cancel);
        }
    }

    // Ctrl+Shift+P saves the build-up of the figure the controls hold, drawn
    // off screen: after a run its last frame is Ctrl+P's picture; during a
    // paused run the run, its state and its picture stay as they were; a
    // cancel while counting or drawing leaves no file.
    void buildUp_data() {
        // cancelAt: the progress box's step at which the user cancels, 0 never
        columns<QString, int, bool>("format", "cancelAt", "duringRun");
        row("GIF after a run", QString("gif"), 0, false);
        row("WebP during a paused run", QString("webp"), 0, true);
        row("cancelled while counting", QString("gif"), 1, false);
        row("cancelled while drawing", QString("webp"), 2, false);
    }
    void buildUp() {
        QFETCH(QString, format);
        QFETCH(int, cancelAt);
        QFETCH(bool, duringRun);
        QVERIFY(f.prepare(zv::KochCurveType, zv::RecursiveMode, 4));
        const QTemporaryDir folder; // for the build-up alone
        const QString name = "build-up." + format;
        f.dialogs.fileAnswers << chosen(folder.filePath(name));
        f.dialogs.cancelAtProgressStep = cancelAt;
        f.draw(); // after a run; a paused run starts afresh
        // What a paused run must keep: its picture, its state, the elements drawn.
        const auto run = [&] {
            return std::tuple(picture().copy(), f.model.GlobalState, f.model.ElementsDrawn);
        };
        bool untouched = false;
        QVERIFY(f.during(duringRun ? zv::PauseMode : zv::EditMode, [&] {
            const auto before = run();
            f.key(Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
            untouched = run() == before;
        }));
        f.dialogs.cancelAtProgressStep = 0;
        QVERIFY(untouched);
        // A cancel leaves no file, not even a partial or hidden one.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 cancelAt != 0 ? QStringList() : QStringList{name});
        if (cancelAt != 0) {
            return;
        }
        const Animation a = decode(fileBytes(folder.filePath(name)), format);
        QVERIFY(a.frames.size() > 10);
        f.draw(); // the whole figure, to compare (the paused run was cancelled)
        QCOMPARE(a.frames.last(), picture().convertToFormat(QImage::Format_RGB32));
    }

    // The window's generator is seeded once, not per run: two chaos games with
    // the same parameters play different points.
    void chaosGamesDiffer() {
        QVERIFY(f.prepare(zv::SierpinskyGadgetType, zv::ChaosGameMode, 2000));
        f.draw();
        const QImage first = picture().copy();
        f.draw();
        QVERIFY(ink() > 0 && first != picture());
    }
};

QTEST_MAIN(tst_Runs)
#include "tst_Runs.moc"
