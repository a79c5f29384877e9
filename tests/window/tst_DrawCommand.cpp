// The draw command: a run of the shown type on the window's own drawing area,
// the locked controls and captions while it runs, cancelling (also from a
// pause and from inside the run's own event passes), single steps, Enter in a
// field, and what the drawing area and the markers show afterwards.
//
// A run executes inside the click; the tests act on it from a polling timer
// that fires in the run's event passes, as the user's clicks and keys do.
// Every run is bounded: its figure is finite, and a guard cancels it if a
// faulty window never ends it.

#include "WindowTestSupport.h"

#include "ColorSwatch.h"
#include "KeyedStatusBar.h"
#include "OutputPicture.h"
#include "TextField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <functional>

using zvtest::FormFixture;

namespace {

constexpr QRgb White = 0xFFFFFFFF;

int inkPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) != White ? 1 : 0;
        }
    }
    return n;
}

// Calls step every few milliseconds, inside the run's event passes, until it
// returns true.
class Script : public QObject {
public:
    explicit Script(std::function<bool()> step) : step_(std::move(step)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (!done && step_()) {
                done = true;
                timer_.stop();
            }
        });
        timer_.start(5);
    }
    bool done = false;

private:
    std::function<bool()> step_;
    QTimer timer_;
};

// Records the order in which controls are enabled and disabled.
class EnableOrder : public QObject {
public:
    QStringList changes;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::EnabledChange) {
            const auto* w = static_cast<QWidget*>(watched);
            changes << watched->objectName() + (w->isEnabled() ? "+" : "-");
        }
        return false;
    }
};

const QStringList Locked = {"FractalType_cmb", "Import_btn",    "CommonParameter_frm",
                            "DrawModes_frm",   "FixPoints_frm", "CantorSet_frm",
                            "Cross_frm",       "LSystem_frm"};

} // namespace

class tst_DrawCommand : public QObject {
    Q_OBJECT
    FormFixture f;

    zv::StatusPanel* panel(const char* key) const {
        return f.form->StatusBar->panel(QString::fromLatin1(key));
    }
    const QImage& picture() const { return f.form->Output_pic->canvas().image(); }
    void setRow(std::size_t i, int x, int y) {
        f.form->XPos_txt.at(i)->setText(QString::number(x));
        f.form->YPos_txt.at(i)->setText(QString::number(y));
    }

    // Shows a type with a figure that fits the 200 x 250 drawing area.
    void prepare(int type, int mode, int depth, bool pause = false) {
        f.form->FractalType_cmb->setCurrentIndex(type);
        f.form->Unload_tmr_Timer();
        f.form->DrawMode_opt.at(static_cast<std::size_t>(mode))->setChecked(true);
        switch (type) {
        case zv::CantorSetType:
            setRow(0, 20, 20);
            setRow(1, 180, 20);
            f.form->StepHeight_txt->setText("20");
            f.form->ElementsCount_txt->setText("2");
            break;
        case zv::CrossType:
            setRow(0, 40, 120);
            setRow(1, 160, 120);
            f.form->DecreaseFactor_txt->setText("0,5");
            break;
        case zv::SierpinskyGadgetType:
            setRow(0, 100, 20);
            setRow(1, 20, 200);
            setRow(2, 180, 200);
            break;
        case zv::KochCurveType:
            setRow(0, 20, 150);
            setRow(1, 180, 150);
            break;
        default:
            setRow(0, 100, 240);
            setRow(1, 100, 200);
            f.form->Initiator_txt->setText("F");
            f.form->Generator_txt->setText("F[+F]F[-F]F");
            f.form->LineLength_txt->setText("4");
            f.form->Delta_txt->setText("25");
            break;
        }
        f.form->CalcDepth_txt->setText(QString::number(depth));
        f.form->Pause_chk->setChecked(pause);
        f.form->RandomForeColor_chk->setChecked(false);
        f.form->PlaceAllFixPoints();
    }
    int hiddenMarkers() const {
        int n = 0;
        for (const QLabel* m : f.form->FixPoint_img) {
            n += m->isHidden() ? 1 : 0;
        }
        return n;
    }
    int markerCount() const { return static_cast<int>(f.form->FixPoint_img.size()); }
    // Draws, with a guard that cancels a run that would not end.
    void draw() {
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, this, [this] {
            guardFired = true;
            f.form->ManageGlobalStates(zv::EditMode);
        });
        guardFired = false;
        guard.start(30000);
        f.form->Draw_btn->click();
    }
    bool guardFired = false;
    void expectEditState() {
        QCOMPARE(f.model.GlobalState, zv::EditMode);
        QCOMPARE(f.form->Draw_btn->text(), QString("&Draw Fractal"));
        for (const QString& name : Locked) {
            QVERIFY2(f.find<QWidget>(name)->isEnabled(), qPrintable(name));
        }
        QVERIFY(panel("ElementsCount")->isHidden());
        QVERIFY(panel("RecursionsCount")->isHidden());
        QCOMPARE(f.form->Output_pic->canvas().PenWidth(), 2);
    }

private slots:
    void initTestCase() {
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(f.open());
        f.form->ForeColor_pic->setColor(0x000000);
        f.form->Output_pic->canvas().SetForeColor(0x000000);
    }

    // While a run is under way the parameters cannot change, the caption
    // offers the cancel, and the bar button, export and the drawing area stay
    // usable; afterwards everything returns, in the same order.
    void locking_data() {
        QTest::addColumn<bool>("pause");
        QTest::newRow("running") << false;
        QTest::newRow("pause after each op.") << true;
    }
    void locking() {
        QFETCH(bool, pause);
        prepare(zv::KochCurveType, zv::RecursiveMode, 6, pause);
        EnableOrder order;
        for (const QString& name : Locked) {
            f.find<QWidget>(name)->installEventFilter(&order);
        }
        QString caption, help;
        int state = -1;
        QStringList lockedDuring, usableDuring;
        int hiddenDuring = -1;
        Script script([&] {
            caption = f.form->Draw_btn->text();
            state = f.model.GlobalState;
            help = panel("Help")->text();
            for (const QString& name : Locked) {
                if (!f.find<QWidget>(name)->isEnabled()) {
                    lockedDuring << name;
                }
            }
            for (const char* name : {"Draw_btn", "Params_btn", "Export_btn", "Output_pic"}) {
                if (f.find<QWidget>(name)->isEnabled()) {
                    usableDuring << name;
                }
            }
            hiddenDuring = hiddenMarkers();
            f.form->Draw_btn->click();
            return true;
        });
        draw();
        QVERIFY(script.done);
        QCOMPARE(caption, QString("&Cancel"));
        QCOMPARE(state, pause ? 2 : 1);
        QCOMPARE(help, pause ? QString("resume with S") : QString("pause with S"));
        QCOMPARE(lockedDuring, Locked);
        QCOMPARE(usableDuring, QStringList({"Draw_btn", "Params_btn", "Export_btn", "Output_pic"}));
        QCOMPARE(hiddenDuring, markerCount());
        expectEditState();
        QCOMPARE(hiddenMarkers(), 0);
        QStringList expected;
        for (const QString& name : Locked) {
            expected << name + "-";
        }
        for (const QString& name : Locked) {
            expected << name + "+";
        }
        QCOMPARE(order.changes, expected);
    }

    // With "Pause after each op." the run starts paused and draws nothing;
    // each S draws exactly one element and pauses again, the counter shown at
    // once; a cancel from the pause draws nothing more. (The turtle tests
    // before its first element; the recursive figures draw their base first.)
    void singleSteps() {
        prepare(zv::KochCurveType, zv::TurtleGraphicsMode, 3, true);
        int step = 0;
        int inkBeforeS = -1, inkAfterOne = -1;
        QString textAfterOne, textAfterTwo;
        Script script([&] {
            if (f.model.GlobalState != zv::PauseMode) {
                return false;
            }
            if (step == 0 && f.model.ElementsDrawn == 0) {
                inkBeforeS = inkPixels(picture());
                f.key(Qt::Key_S);
                step = 1;
            } else if (step == 1 && f.model.ElementsDrawn == 1 &&
                       panel("ElementsCount")->text() == "Elements drawn: 1") {
                inkAfterOne = inkPixels(picture());
                textAfterOne = panel("ElementsCount")->text();
                f.key(Qt::Key_S);
                step = 2;
            } else if (step == 2 && f.model.ElementsDrawn == 2 &&
                       panel("ElementsCount")->text() == "Elements drawn: 2") {
                textAfterTwo = panel("ElementsCount")->text();
                f.form->Draw_btn->click();
                return true;
            }
            return false;
        });
        draw();
        QVERIFY(script.done);
        QCOMPARE(inkBeforeS, 0);
        QVERIFY(inkAfterOne > 0);
        QCOMPARE(textAfterOne, QString("Elements drawn: 1"));
        QCOMPARE(textAfterTwo, QString("Elements drawn: 2"));
        QCOMPARE(f.model.ElementsDrawn, 2);
        expectEditState();
        const QImage cancelled = picture().copy();
        f.form->DrawFixPointsPreview();
        QCOMPARE(cancelled, picture());
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

    // A cancel stops the run before its next element; the drawing area keeps
    // only the fix point preview, or nothing after the chaos game and the
    // demos, whose markers stay hidden.
    void cancel_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("preview");
        QTest::newRow("koch recursive") << 3 << 0 << 7 << true;
        QTest::newRow("cross") << 1 << 0 << 9 << true;
        QTest::newRow("cantor demo") << 0 << 3 << 12 << false;
        QTest::newRow("chaos game") << 2 << 1 << 2000000 << false;
    }
    void cancel() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(int, depth);
        QFETCH(bool, preview);
        prepare(type, mode, depth);
        std::int64_t atCancel = -1;
        Script script([&] {
            if (f.model.ElementsDrawn < 1) {
                return false;
            }
            atCancel = f.model.ElementsDrawn;
            f.form->Draw_btn->click();
            return true;
        });
        draw();
        QVERIFY(script.done);
        QCOMPARE(f.model.ElementsDrawn, atCancel);
        expectEditState();
        QCOMPARE(hiddenMarkers(), preview ? 0 : markerCount());
        const QImage cancelled = picture().copy();
        if (preview) {
            f.form->DrawFixPointsPreview();
            QCOMPARE(cancelled, picture());
        } else {
            QCOMPARE(inkPixels(cancelled), 0);
        }
    }

    // A run that ends by itself leaves its drawing, also after repaints; the
    // markers return on top of it, except after the chaos game and the demos.
    void finishedRun_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("markers");
        QTest::newRow("cantor set") << 0 << 0 << 3 << true;
        QTest::newRow("cantor demo") << 0 << 3 << 3 << false;
        QTest::newRow("chaos game") << 2 << 1 << 3000 << false;
        QTest::newRow("koch turtle") << 3 << 2 << 2 << true;
        QTest::newRow("l-system") << 4 << 2 << 3 << true;
    }
    void finishedRun() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(int, depth);
        QFETCH(bool, markers);
        prepare(type, mode, depth);
        f.form->Output_pic->canvas().Clear();
        f.model.RecursionsDone = -1;
        draw();
        QVERIFY(f.model.RecursionsDone >= 0);
        QVERIFY(f.model.ElementsDrawn > 0);
        expectEditState();
        QCOMPARE(hiddenMarkers(), markers ? 0 : markerCount());
        const QImage drawn = picture().copy();
        QVERIFY(inkPixels(drawn) > 0);
        QTest::qWait(30);
        QCOMPARE(picture(), drawn);
    }

    // Enter in a field presses the draw button; the field is checked first,
    // as leaving it would, so the run uses what the field then shows.
    void enterInField_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("depth");
        QTest::newRow("a number") << "3"
                                  << "3" << 3;
        QTest::newRow("letters") << "abc"
                                 << "4" << 4;
    }
    void enterInField() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, depth);
        prepare(zv::CantorSetType, zv::RecursiveMode, 1);
        f.model.RecursionsDone = -1;
        f.model.CalcDepth = 77;
        auto* field = f.form->CalcDepth_txt;
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, typed);
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, this,
                [this] { f.form->ManageGlobalStates(zv::EditMode); });
        guard.start(30000);
        f.key(Qt::Key_Return);
        QVERIFY(f.model.RecursionsDone >= 0);
        QCOMPARE(f.model.CalcDepth, depth);
        QCOMPARE(field->text(), shown);
        expectEditState();
    }

    // A start click queued behind the cancel arrives while the cancelled run
    // is still unwinding: it must not start a run inside the first one.
    void noRunInsideRun() {
        prepare(zv::KochCurveType, zv::RecursiveMode, 7);
        std::int64_t atCancel = -1;
        int stateAfterSecond = -1;
        QString captionAfterSecond;
        Script script([&] {
            if (f.model.ElementsDrawn < 1) {
                return false;
            }
            atCancel = f.model.ElementsDrawn;
            f.form->Draw_btn->click();
            f.form->Draw_btn->click();
            stateAfterSecond = f.model.GlobalState;
            captionAfterSecond = f.form->Draw_btn->text();
            return true;
        });
        draw();
        QVERIFY(script.done);
        QCOMPARE(stateAfterSecond, 0);
        QCOMPARE(captionAfterSecond, QString("&Draw Fractal"));
        QCOMPARE(f.model.ElementsDrawn, atCancel);
        expectEditState();

        // The next click starts a fresh run as usual.
        prepare(zv::CantorSetType, zv::RecursiveMode, 2);
        f.model.RecursionsDone = -1;
        draw();
        QVERIFY(f.model.RecursionsDone >= 0);
        QVERIFY(inkPixels(picture()) > 0);
    }

    // The window's generator is seeded once, not per run: two chaos games with
    // the same parameters play different points.
    void chaosGamesDiffer() {
        prepare(zv::SierpinskyGadgetType, zv::ChaosGameMode, 2000);
        draw();
        const QImage first = picture().copy();
        draw();
        QVERIFY(inkPixels(first) > 0);
        QVERIFY(first != picture());
    }

    // Closing the window during a run is refused, or the run ends with it: a
    // hidden window never goes on drawing or stays paused out of sight.
    void closeDuringRun_data() {
        QTest::addColumn<bool>("pause");
        QTest::newRow("running") << false;
        QTest::newRow("paused") << true;
    }
    void closeDuringRun() {
        QFETCH(bool, pause);
        prepare(zv::KochCurveType, zv::RecursiveMode, 7, pause);
        int step = 0;
        bool refused = false;
        Script script([&] {
            if (step == 0) {
                f.form->close();
                refused = f.form->isVisible();
                step = 1;
                return false;
            }
            if (refused) {
                f.form->Draw_btn->click();
                return true;
            }
            return f.model.GlobalState == zv::EditMode;
        });
        draw();
        QVERIFY(script.done);
        QVERIFY(!guardFired);
        QCOMPARE(f.model.GlobalState, zv::EditMode);
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
    }
};

QTEST_MAIN(tst_DrawCommand)
#include "tst_DrawCommand.moc"
