// Choosing a fractal type and a draw mode: the refresh that fills the panels
// from the type's record, the draw modes each type offers, the switch between
// the fix point list and the special frames, and what the modes hide or clear.

#include "FixPointTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QWheelEvent>

using namespace zvtest;

namespace {
const QString ToSpecial = QStringLiteral("> &Switch to Special >");
const QString ToFixPoints = QStringLiteral("< &Switch to FixPoints <");
} // namespace

class tst_TypeSelection : public QObject {
    Q_OBJECT
    FormFixture f;

    QString enabledModes() const {
        QString s;
        for (QRadioButton* o : f.form->DrawMode_opt) {
            s += o->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        }
        return s;
    }
    int checkedMode() const {
        int checked = -1;
        for (std::size_t i = 0; i < f.form->DrawMode_opt.size(); ++i) {
            if (f.form->DrawMode_opt[i]->isChecked()) {
                checked = static_cast<int>(i);
            }
        }
        return checked;
    }
    // markers: all of them visible; otherwise none.
    bool markersShown(bool markers) const {
        for (QLabel* m : f.form->FixPoint_img) {
            if (m->isVisible() != markers) {
                return false;
            }
        }
        return true;
    }
    // The frames shown below "Draw Modes:", by name.
    QStringList framesShown() const {
        QStringList shown;
        for (QGroupBox* g : {f.form->FixPoints_frm, f.form->CantorSet_frm, f.form->Cross_frm,
                             f.form->LSystem_frm}) {
            if (g->isVisible()) {
                shown << g->objectName();
            }
        }
        return shown;
    }
    void storeRecords(int mode) {
        f.model.CantorSet = {};
        f.model.CantorSet.FixPoints = {{{20, 60}, {180, 60}}};
        f.model.CantorSet.DrawMode = static_cast<std::uint8_t>(mode);
        f.model.Cross.FixPoints = points({{10, 10}, {60, 10}, {60, 60}, {10, 60}, {30, 90}});
        f.model.Cross.DrawMode = static_cast<std::uint8_t>(mode);
        f.model.Cross.ConnectLast = true;
        f.model.SierpinskyGadget.FixPoints = {{{10, 200}, {100, 10}, {180, 200}}};
        f.model.SierpinskyGadget.DrawMode = static_cast<std::uint8_t>(mode);
        f.model.KochCurve.FixPoints = points({{10, 100}, {60, 40}, {120, 100}, {170, 40}});
        f.model.KochCurve.DrawMode = static_cast<std::uint8_t>(mode);
        f.model.KochCurve.ConnectLast = false;
        f.model.LSystem.FixPoints = {{{100, 200}, {100, 150}}};
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::English));
        QVERIFY(f.open());
        QTRY_VERIFY(!f.form->Unload_tmr->isActive());
    }
    void init() {
        f.dialogs.calls.clear();
        // Every case starts from the Cantor set's special frame, the view that
        // the refresh has to undo.
        storeRecords(zv::RecursiveMode);
        QVERIFY(selectType(f, zv::CantorSetType));
        f.form->SpecialParams_btn->click();
        QVERIFY(f.form->CantorSet_frm->isVisible());
    }

    // The panels each type gets, from its record.
    void panelsPerType_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("storedMode");
        QTest::addColumn<QString>("modes");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("switchEnabled");
        QTest::addColumn<int>("rowCount");
        QTest::addColumn<bool>("commands");
        QTest::addColumn<bool>("connectChecked");
        QTest::addColumn<bool>("connectEnabled");
        using namespace zv;
        QTest::newRow("cantor set")
            << int(CantorSetType) << 0 << "1001" << 0 << true << 2 << false << false << false;
        QTest::newRow("cross") << int(CrossType) << 0 << "1000" << 0 << true << 5 << true << true
                               << true;
        QTest::newRow("gadget") << int(SierpinskyGadgetType) << 0 << "1101" << 0 << false << 3
                                << false << true << false;
        QTest::newRow("koch curve, recursive")
            << int(KochCurveType) << 0 << "1010" << 0 << false << 4 << true << false << true;
        QTest::newRow("koch curve, turtle: two rows")
            << int(KochCurveType) << 2 << "1010" << 2 << false << 2 << false << false << false;
        QTest::newRow("l-system: always turtle")
            << int(LSystemType) << 3 << "0010" << 2 << true << 2 << false << false << false;
    }
    void panelsPerType() {
        QFETCH(int, type);
        QFETCH(int, storedMode);
        QFETCH(QString, modes);
        QFETCH(int, selected);
        QFETCH(bool, switchEnabled);
        QFETCH(int, rowCount);
        QFETCH(bool, commands);
        QFETCH(bool, connectChecked);
        QFETCH(bool, connectEnabled);
        storeRecords(storedMode);
        QVERIFY(selectType(f, type));
        QCOMPARE(enabledModes(), modes);
        QCOMPARE(checkedMode(), selected);
        QCOMPARE(f.form->SpecialParams_btn->isEnabled(), switchEnabled);
        QCOMPARE(f.form->SpecialParams_btn->text(), ToSpecial);
        QCOMPARE(rows(f), rowCount);
        QCOMPARE(f.form->AddFixPoint_btn->isEnabled(), commands);
        QCOMPARE(f.form->RemoveFixPoint_btn->isEnabled(), commands);
        QCOMPARE(f.form->ConnectLast_chk->isChecked(), connectChecked);
        QCOMPARE(f.form->ConnectLast_chk->isEnabled(), connectEnabled);
        QCOMPARE(framesShown(), QStringList{"FixPoints_frm"});
        QVERIFY(markersShown(true));
        QCOMPARE(f.form->LastFixPointIndex, rowCount - 1);
        // The rows show the record's first points, the markers sit on them.
        const std::vector<zv::FixPoint>* list = type == zv::CrossType ? &f.model.Cross.FixPoints
                                                : type == zv::KochCurveType
                                                    ? &f.model.KochCurve.FixPoints
                                                    : nullptr;
        if (list != nullptr) {
            for (int i = 0; i < rowCount; ++i) {
                const zv::FixPoint& p = (*list)[static_cast<std::size_t>(i)];
                QCOMPARE(fieldsAt(f, i), QPoint(int(p.X), int(p.Y)));
                QCOMPARE(markerAt(f, i), QPoint(int(p.X), int(p.Y)));
            }
        }
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    // The special fields are filled from the record after the rows.
    void specialFields() {
        f.model.CantorSet.StepHeight = 33;
        f.model.CantorSet.ElementsCount = 4;
        f.model.Cross.DecreaseFactor = 0.25;
        f.model.LSystem.InitiatorString = "F\xe9+F";
        f.model.LSystem.GeneratorString = "FF";
        f.model.LSystem.LineLength = 1.5;
        f.model.LSystem.Delta = -90;
        QVERIFY(selectType(f, zv::CantorSetType));
        QCOMPARE(f.form->StepHeight_txt->text(), QString("33"));
        QCOMPARE(f.form->ElementsCount_txt->text(), QString("4"));
        QVERIFY(selectType(f, zv::CrossType));
        QCOMPARE(f.form->DecreaseFactor_txt->text(), QLocale().toString(0.25));
        QVERIFY(selectType(f, zv::LSystemType));
        QCOMPARE(f.form->Initiator_txt->text(), QStringLiteral("F\u00e9+F"));
        QCOMPARE(f.form->Generator_txt->text(), QString("FF"));
        QCOMPARE(f.form->LineLength_txt->text(), QLocale().toString(1.5));
        QCOMPARE(f.form->Delta_txt->text(), QString("-90"));
    }

    // The switch button toggles between the list and the type's special frame;
    // the markers stay as they are.
    void switchButton_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("special");
        QTest::newRow("cantor set") << int(zv::CantorSetType) << "CantorSet_frm";
        QTest::newRow("cross") << int(zv::CrossType) << "Cross_frm";
        QTest::newRow("l-system") << int(zv::LSystemType) << "LSystem_frm";
    }
    void switchButton() {
        QFETCH(int, type);
        QFETCH(QString, special);
        QVERIFY(selectType(f, type));
        const QPoint marker = markerAt(f, 1);
        f.form->SpecialParams_btn->click();
        QCOMPARE(framesShown(), QStringList{special});
        QCOMPARE(f.form->SpecialParams_btn->text(), ToFixPoints);
        QVERIFY(markersShown(true));
        QCOMPARE(markerAt(f, 1), marker);
        f.form->SpecialParams_btn->click();
        QCOMPARE(framesShown(), QStringList{"FixPoints_frm"});
        QCOMPARE(f.form->SpecialParams_btn->text(), ToSpecial);
    }

    // What a chosen draw mode shows, hides and leaves on the drawing area.
    void drawModeChoice_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<bool>("markers");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<bool>("switchEnabled");
        using namespace zv;
        QTest::newRow("cantor demo") << int(CantorSetType) << int(DemoMode)
                                     << QStringList{"CantorSet_frm"} << false << true << false;
        QTest::newRow("cantor recursive") << int(CantorSetType) << int(RecursiveMode)
                                          << QStringList{"FixPoints_frm"} << true << false << true;
        QTest::newRow("gadget chaos game") << int(SierpinskyGadgetType) << int(ChaosGameMode)
                                           << QStringList{} << false << true << false;
        QTest::newRow("gadget recursive") << int(SierpinskyGadgetType) << int(RecursiveMode)
                                          << QStringList{"FixPoints_frm"} << true << false << false;
    }
    void drawModeChoice() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(QStringList, frames);
        QFETCH(bool, markers);
        QFETCH(bool, blank);
        QFETCH(bool, switchEnabled);
        // Start from the opposite view of the same type.
        f.model.CantorSet.DrawMode = mode == zv::DemoMode ? zv::RecursiveMode : zv::DemoMode;
        f.model.SierpinskyGadget.DrawMode =
            mode == zv::RecursiveMode ? zv::ChaosGameMode : zv::RecursiveMode;
        QVERIFY(selectType(f, type));
        // A drawing made before is erased by the choice.
        f.form->Output_pic->canvas().Box(150, 150, 180, 180, 0x00FF00);
        f.form->DrawMode_opt[static_cast<std::size_t>(mode)]->click();
        QCOMPARE(framesShown(), frames);
        QVERIFY(markersShown(markers));
        QCOMPARE(canvasBlank(f), blank);
        QCOMPARE(pixelsOf(f, 0x00FF00, QRect(150, 150, 31, 31)), 0);
        QCOMPARE(f.form->SpecialParams_btn->isEnabled(), switchEnabled);
        if (type == zv::CantorSetType) {
            QCOMPARE(!f.form->ElementsCount_txt->isHidden(), mode == zv::RecursiveMode);
            QCOMPARE(!f.form->ElementsCount_lbl->isHidden(), mode == zv::RecursiveMode);
        }
    }

    // A type shown with its stored mode gets the same view as a user's choice.
    void storedModeView_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<bool>("markers");
        using namespace zv;
        QTest::newRow("gadget demo: cleared")
            << int(SierpinskyGadgetType) << int(DemoMode) << true << false;
        QTest::newRow("gadget chaos game: preview stays")
            << int(SierpinskyGadgetType) << int(ChaosGameMode) << false << false;
        QTest::newRow("cross recursive") << int(CrossType) << int(RecursiveMode) << false << true;
    }
    void storedModeView() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(bool, blank);
        QFETCH(bool, markers);
        storeRecords(mode);
        QVERIFY(selectType(f, type));
        QCOMPARE(checkedMode(), mode);
        QCOMPARE(canvasBlank(f), blank);
        QVERIFY(markersShown(markers));
    }

    // The Koch curve's turtle keeps two points; going back to recursive
    // enables the commands without bringing the removed rows back.
    void kochTurtleCutsRows() {
        QVERIFY(selectType(f, zv::KochCurveType));
        QCOMPARE(rows(f), 4);
        f.form->DrawMode_opt[zv::TurtleGraphicsMode]->click();
        QCOMPARE(rows(f), 2);
        QCOMPARE(f.form->AddFixPoint_btn->isEnabled(), false);
        QCOMPARE(f.form->RemoveFixPoint_btn->isEnabled(), false);
        QCOMPARE(f.form->ConnectLast_chk->isEnabled(), false);
        QVERIFY(f.dialogs.calls.isEmpty());
        f.form->DrawMode_opt[zv::RecursiveMode]->click();
        QCOMPARE(rows(f), 2);
        QCOMPARE(f.form->AddFixPoint_btn->isEnabled(), true);
        QCOMPARE(f.form->RemoveFixPoint_btn->isEnabled(), true);
        QCOMPARE(f.form->ConnectLast_chk->isEnabled(), true);
        QCOMPARE(fieldsAt(f, 1), QPoint(60, 40));
    }

    // Selections before the timer fires cause one refresh, for the last one.
    void burstOfSelections_data() {
        QTest::addColumn<QList<int>>("types");
        QTest::newRow("three") << QList<int>{zv::LSystemType, zv::CrossType,
                                             zv::SierpinskyGadgetType};
    }
    void burstOfSelections() {
        QFETCH(QList<int>, types);
        QSignalSpy ticks(f.form->Unload_tmr, &QTimer::timeout);
        for (int t : types) {
            f.form->FractalType_cmb->setCurrentIndex(t);
            f.form->FractalType_cmb_Click();
        }
        QTRY_VERIFY(!f.form->Unload_tmr->isActive());
        QCoreApplication::processEvents();
        QCOMPARE(ticks.size(), 1);
        const QString expected[] = {"1001", "1000", "1101", "1010", "0010"};
        QCOMPARE(enabledModes(), expected[types.back()]);
    }

    void ignoredDuringStartUp() {
        f.form->IgnoreTypeClick = true;
        f.form->FractalType_cmb->setCurrentIndex(zv::LSystemType);
        f.form->FractalType_cmb_Click();
        const bool armed = f.form->Unload_tmr->isActive();
        f.form->IgnoreTypeClick = false;
        QVERIFY(!armed);
        QCOMPARE(enabledModes(), QString("1001"));
    }

    // A choice from the list, by mouse or keyboard, schedules the refresh.
    void keyboardChoice() {
        f.form->FractalType_cmb->setFocus(Qt::TabFocusReason);
        f.form->FractalType_cmb->setCurrentIndex(zv::CrossType);
        f.key(Qt::Key_Down);
        QCOMPARE(f.form->FractalType_cmb->currentIndex(), int(zv::SierpinskyGadgetType));
        QTRY_VERIFY(!f.form->Unload_tmr->isActive());
        QTRY_COMPARE(enabledModes(), QString("1101"));
        QCOMPARE(rows(f), 3);
    }

    // However the selection changes, the edits of the type being left are
    // stored in its record once, and coming back shows them; a record passed
    // on the way (two notches before one refresh) keeps its own values.
    void editsSurviveTypeChange_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("steps");
        QTest::newRow("list opened") << "list" << 1;
        QTest::newRow("wheel notch") << "wheel" << 1;
        QTest::newRow("two wheel notches") << "wheel" << 2;
        QTest::newRow("arrow key") << "key" << 1;
    }
    void editsSurviveTypeChange() {
        QFETCH(QString, how);
        QFETCH(int, steps);
        QComboBox* list = f.form->FractalType_cmb;
        const auto wheel = [list](int notches) {
            for (int i = 0; i < std::abs(notches); ++i) {
                QWheelEvent notch(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), {},
                                  QPoint(0, notches > 0 ? -120 : 120), Qt::NoButton, Qt::NoModifier,
                                  Qt::NoScrollPhase, false);
                QCoreApplication::sendEvent(list, &notch);
            }
        };
        QVERIFY(selectType(f, zv::CantorSetType));
        const zv::CrossParams cross = f.model.Cross;
        f.typeAndLeave(f.form->XPos_txt[0], "33", f.form->CalcDepth_txt);
        if (how == "list") {
            list->showPopup();
            QCoreApplication::processEvents();
            const double stored = f.model.CantorSet.FixPoints[0].X;
            list->hidePopup();
            QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
            QCOMPARE(stored, 33.0); // opening the list alone stored them
            QVERIFY(selectType(f, zv::CrossType));
        } else if (how == "key") {
            f.form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(f.form.get()));
            list->setFocus(Qt::TabFocusReason);
            f.key(Qt::Key_Down);
        } else {
            wheel(steps);
        }
        QCOMPARE(list->currentIndex(), steps);
        QTRY_VERIFY(!f.form->Unload_tmr->isActive());
        QCOMPARE(f.model.CantorSet.FixPoints[0].X, 33.0);
        QVERIFY(f.model.Cross == cross);
        wheel(-steps);
        QCOMPARE(list->currentIndex(), int(zv::CantorSetType));
        QTRY_VERIFY(!f.form->Unload_tmr->isActive());
        QCOMPARE(f.form->XPos_txt[0]->text(), QString("33"));
        QCOMPARE(markerAt(f, 0).x(), 33);
    }

    // Records from a file that the window cannot show as they are.
    void valuesTheWindowCannotShow_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("storedMode");
        QTest::addColumn<int>("pointCount");
        QTest::addColumn<int>("expectedRows");
        QTest::addColumn<int>("expectedMode");
        using namespace zv;
        QTest::newRow("cross, no points") << int(CrossType) << 0 << 0 << 2 << 0;
        QTest::newRow("cross, nine points") << int(CrossType) << 0 << 9 << 8 << 0;
        QTest::newRow("koch, forty points") << int(KochCurveType) << 0 << 40 << 8 << 0;
        QTest::newRow("cross, mode 7") << int(CrossType) << 7 << 3 << 3 << 0;
        QTest::newRow("cross, demo it does not offer") << int(CrossType) << 3 << 3 << 3 << 0;
        QTest::newRow("koch, chaos game") << int(KochCurveType) << 1 << 3 << 3 << 0;
        QTest::newRow("cantor, mode 9") << int(CantorSetType) << 9 << 2 << 2 << 0;
        QTest::newRow("gadget, turtle") << int(SierpinskyGadgetType) << 2 << 3 << 3 << 0;
    }
    void valuesTheWindowCannotShow() {
        QFETCH(int, type);
        QFETCH(int, storedMode);
        QFETCH(int, pointCount);
        QFETCH(int, expectedRows);
        QFETCH(int, expectedMode);
        std::vector<zv::FixPoint> pts;
        for (int i = 0; i < pointCount; ++i) {
            pts.push_back({10.0 + i, 20.0 + i});
        }
        const auto mode = static_cast<std::uint8_t>(storedMode);
        f.model.Cross.FixPoints = pts;
        f.model.Cross.DrawMode = mode;
        f.model.KochCurve.FixPoints = pts;
        f.model.KochCurve.DrawMode = mode;
        f.model.CantorSet.DrawMode = mode;
        f.model.SierpinskyGadget.DrawMode = mode;
        QVERIFY(selectType(f, type));
        QCOMPARE(rows(f), expectedRows);
        QCOMPARE(checkedMode(), expectedMode);
        QVERIFY(f.form->DrawMode_opt[static_cast<std::size_t>(expectedMode)]->isEnabled());
        QVERIFY(f.dialogs.calls.isEmpty());
        if (type == zv::CrossType || type == zv::KochCurveType) {
            for (int i = 0; i < std::min(pointCount, expectedRows); ++i) {
                QCOMPARE(fieldsAt(f, i), QPoint(10 + i, 20 + i));
            }
        }
    }
};

QTEST_MAIN(tst_TypeSelection)
#include "tst_TypeSelection.moc"
