// Run states: what each state shows in the status bar and does to the pen, the
// S key that pauses and resumes whatever control has the focus, Ctrl+P, and
// the window as the run's host.

#include "WindowTestSupport.h"

#include "KeyedStatusBar.h"
#include "OutputPicture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>

using zvtest::FormFixture;

class tst_GlobalStates : public QObject {
    Q_OBJECT
    FormFixture f;

    zv::StatusPanel* panel(const char* key) const {
        return f.form->StatusBar->panel(QString::fromLatin1(key));
    }
    QImage shownIcon() const { return panel("GlobalState")->pixmap().toImage(); }
    QImage stateIcon(int i) const {
        return f.form->GSIcon_pic.at(static_cast<std::size_t>(i))->pixmap().toImage();
    }
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

private slots:
    void initTestCase() { QVERIFY(f.open()); }
    void cleanup() {
        f.form->ManageGlobalStates(zv::EditMode);
        selectMode(-1);
    }

    void startsInEditMode() {
        QCOMPARE(f.model.GlobalState, zv::EditMode);
        QCOMPARE(panel("Help")->text(), QString("arrange the Fixpoint on the left to your desire"));
        QCOMPARE(shownIcon(), stateIcon(0));
        QVERIFY(panel("RecursionsCount")->isHidden());
        QVERIFY(panel("ElementsCount")->isHidden());
        QCOMPARE(f.form->Output_pic->canvas().PenWidth(), 2);
    }

    // The three icons are 16 x 16 discs: green, red and yellow in the middle.
    void stateIcons_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("edit") << 0 << QColor(Qt::green);
        QTest::newRow("working") << 1 << QColor(Qt::red);
        QTest::newRow("pause") << 2 << QColor(Qt::yellow);
    }
    void stateIcons() {
        QFETCH(int, state);
        QFETCH(QColor, colour);
        const QImage icon = stateIcon(state);
        QCOMPARE(icon.size(), QSize(16, 16));
        const QColor centre = icon.pixelColor(8, 8);
        const auto near = [](int a, int b) { return (a > 128) == (b > 128); };
        QVERIFY(near(centre.red(), colour.red()));
        QVERIFY(near(centre.green(), colour.green()));
        QVERIFY(near(centre.blue(), colour.blue()));
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
    }

    void manageGlobalStates_data() {
        QTest::addColumn<int>("mode"); // -1: no option selected
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("tip");
        QTest::addColumn<QString>("help");
        QTest::addColumn<bool>("recursionsShown");
        QTest::addColumn<bool>("elementsShown");
        QTest::addColumn<int>("pen");
        QTest::newRow("edit") << 0 << 0 << "EditMode"
                              << "arrange the Fixpoint on the left to your desire" << false << false
                              << 2;
        QTest::newRow("working, recursive") << 0 << 1 << "WorkingMode"
                                            << "pause with S" << true << true << 1;
        QTest::newRow("working, no mode") << -1 << 1 << "WorkingMode"
                                          << "pause with S" << true << true << 1;
        QTest::newRow("working, chaos game") << 1 << 1 << "WorkingMode"
                                             << "pause with S" << false << true << 1;
    }
    void manageGlobalStates() {
        QFETCH(int, mode);
        QFETCH(int, state);
        QFETCH(QString, tip);
        QFETCH(QString, help);
        QFETCH(bool, recursionsShown);
        QFETCH(bool, elementsShown);
        QFETCH(int, pen);
        selectMode(mode);
        f.form->SetRecursionsText("Recursions: 77");
        f.form->SetElementsText("Elements drawn: 88");
        f.form->ManageGlobalStates(static_cast<std::uint8_t>(state));
        QCOMPARE(int(f.model.GlobalState), state);
        QCOMPARE(panel("GlobalState")->toolTip(), tip);
        QCOMPARE(shownIcon(), stateIcon(state));
        QCOMPARE(panel("Help")->text(), help);
        QCOMPARE(!panel("RecursionsCount")->isHidden(), recursionsShown);
        QCOMPARE(!panel("ElementsCount")->isHidden(), elementsShown);
        QCOMPARE(f.form->Output_pic->canvas().PenWidth(), pen);
        if (state == 1) {
            QCOMPARE(panel("ElementsCount")->text(), QString("Elements drawn: 0"));
            if (recursionsShown) {
                QCOMPARE(panel("RecursionsCount")->text(), QString("Recursions: 0"));
            }
        }
    }

    // S pauses and resumes only a run; the modifiers are not looked at, and the
    // focused control still gets the key.
    void keyS_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("help");
        const QString edit = "arrange the Fixpoint on the left to your desire";
        QTest::newRow("edit: nothing") << 0 << 0 << "Draw_btn" << 0 << edit;
        QTest::newRow("edit, in a field: nothing") << 0 << 0 << "CalcDepth_txt" << 0 << edit;
        QTest::newRow("working: pause") << 1 << 0 << "Draw_btn" << 2 << "resume with S";
        QTest::newRow("paused: resume") << 2 << 0 << "Draw_btn" << 1 << "pause with S";
        QTest::newRow("working, Shift+S")
            << 1 << int(Qt::ShiftModifier) << "Draw_btn" << 2 << "resume with S";
        QTest::newRow("paused, Ctrl+Shift+S") << 2 << int(Qt::ControlModifier | Qt::ShiftModifier)
                                              << "Draw_btn" << 1 << "pause with S";
        QTest::newRow("working, in a field") << 1 << 0 << "CalcDepth_txt" << 2 << "resume with S";
        QTest::newRow("paused, on the type list")
            << 2 << 0 << "FractalType_cmb" << 1 << "pause with S";
    }
    void keyS() {
        QFETCH(int, before);
        QFETCH(int, mods);
        QFETCH(QString, focus);
        QFETCH(int, after);
        QFETCH(QString, help);
        selectMode(0);
        f.form->ManageGlobalStates(static_cast<std::uint8_t>(before));
        f.find<QWidget>(focus)->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        f.key(Qt::Key_S, Qt::KeyboardModifiers(mods));
        QCOMPARE(int(f.model.GlobalState), after);
        QCOMPARE(panel("Help")->text(), help);
        QCOMPARE(shownIcon(), stateIcon(after));
    }

    void keyReachesFocusedField() {
        auto* depth = f.find<QLineEdit>("CalcDepth_txt");
        f.form->ManageGlobalStates(zv::WorkingMode);
        depth->setFocus(Qt::TabFocusReason);
        depth->setText("1");
        depth->deselect();
        depth->end(false);
        f.key(Qt::Key_S);
        QCOMPARE(int(f.model.GlobalState), 2);
        QCOMPARE(depth->text(), QString("1s"));
        depth->setText("10");
    }

    // Ctrl+P saves the picture in every state and whatever has the focus; with
    // any other modifier it does nothing.
    void ctrlP_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("exports");
        QTest::newRow("Ctrl+P") << 0 << int(Qt::ControlModifier) << "Draw_btn" << 1;
        QTest::newRow("Ctrl+P in a field") << 0 << int(Qt::ControlModifier) << "Delta_txt" << 1;
        QTest::newRow("Ctrl+P working") << 1 << int(Qt::ControlModifier) << "AreaWidth_txt" << 1;
        QTest::newRow("P") << 0 << 0 << "Draw_btn" << 0;
        QTest::newRow("Ctrl+Shift+P")
            << 0 << int(Qt::ControlModifier | Qt::ShiftModifier) << "Draw_btn" << 0;
        QTest::newRow("Ctrl+Alt+P")
            << 1 << int(Qt::ControlModifier | Qt::AltModifier) << "Draw_btn" << 0;
    }
    void ctrlP() {
        QFETCH(int, state);
        QFETCH(int, mods);
        QFETCH(QString, focus);
        QFETCH(int, exports);
        f.form->ManageGlobalStates(static_cast<std::uint8_t>(state));
        QWidget* target = f.find<QWidget>(focus);
        target->setVisible(true);
        target->setFocus(Qt::TabFocusReason);
        QSignalSpy spy(f.form.get(), &zv::MainForm::pictureExportRequested);
        f.key(Qt::Key_P, Qt::KeyboardModifiers(mods));
        QCOMPARE(spy.count(), exports);
        QCOMPARE(int(f.model.GlobalState), state);
    }

    // What a run asks of its host reaches the status bar and the swatch.
    void runHost() {
        zv::RunHost& host = *f.form;
        f.form->ManageGlobalStates(zv::WorkingMode);
        host.SetElementsText("Elements drawn: 15");
        host.SetRecursionsText("Recursions: 30");
        QCOMPARE(panel("ElementsCount")->text(), QString("Elements drawn: 15"));
        QCOMPARE(panel("RecursionsCount")->text(), QString("Recursions: 30"));
        host.EnterPauseMode();
        QCOMPARE(f.model.GlobalState, zv::PauseMode);
        QCOMPARE(panel("Help")->text(), QString("resume with S"));
        QCOMPARE(host.BackColor(), 0xFFFFFF);
    }

    // A run's yield lets the pending S key through.
    void yieldHandlesPendingKeys() {
        f.form->ManageGlobalStates(zv::WorkingMode);
        f.form->Draw_btn->setFocus(Qt::TabFocusReason);
        QKeyEvent* press = new QKeyEvent(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, "s");
        QCoreApplication::postEvent(f.form->Draw_btn, press);
        QCOMPARE(f.model.GlobalState, zv::WorkingMode);
        f.form->YieldToEvents();
        QCOMPARE(f.model.GlobalState, zv::PauseMode);
    }
};

QTEST_MAIN(tst_GlobalStates)
#include "tst_GlobalStates.moc"
