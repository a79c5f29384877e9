// Choosing a fractal type and a draw mode: the refresh that fills the panels
// from the type's record, the draw modes each type offers, the switch between
// the fix point list and the special frames; and the way back, controls to
// model, in the user's locale, for the shown type's record only.

#include "WindowTestSupport.h"

#include "ColorSwatch.h"

#include <QGroupBox>
#include <QLocale>
#include <QSignalSpy>
#include <cmath>
#include <limits>

using namespace zvtest;

namespace {

struct Panels {
    const char* tag;
    int type;
    int storedMode;
    const char* modes; // enabled options
    int selected;
    bool switchEnabled;
    int rows;
    bool commands;
    bool connectChecked;
    bool connectEnabled;
};
struct ModeView {
    const char* tag;
    int type;
    int mode;
    bool stored; // shown with its stored mode rather than chosen
    QStringList frames;
    bool markers;
    bool blank;
    bool switchEnabled;
};
struct Number {
    const char* tag;
    const char* field;
    int type;
    const char* locale;
    const char* text;
    double expected; // NaN: the model keeps its value
};

const QString ToSpecial = QStringLiteral("> &Switch to Special >");

std::vector<zv::FixPoint> pointsOf(const zv::FractalParameters& m, int type) {
    const auto list = [](const auto& p) { return std::vector<zv::FixPoint>(p.begin(), p.end()); };
    switch (type) {
    case zv::CantorSetType:
        return list(m.CantorSet.FixPoints);
    case zv::CrossType:
        return m.Cross.FixPoints;
    case zv::SierpinskyGadgetType:
        return list(m.SierpinskyGadget.FixPoints);
    case zv::KochCurveType:
        return m.KochCurve.FixPoints;
    default:
        return list(m.LSystem.FixPoints);
    }
}

} // namespace

Q_DECLARE_METATYPE(Panels)
Q_DECLARE_METATYPE(ModeView)
Q_DECLARE_METATYPE(Number)

class tst_Types : public QObject {
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
            checked = f.form->DrawMode_opt[i]->isChecked() ? static_cast<int>(i) : checked;
        }
        return checked;
    }
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
        const auto m = static_cast<std::uint8_t>(mode);
        f.model.CantorSet = {m, {{{20, 60}, {180, 60}}}, 20, 3};
        f.model.Cross = {m, {{10, 10}, {60, 10}, {60, 60}, {10, 60}, {30, 90}}, true, 0.5};
        f.model.SierpinskyGadget = {m, {{{10, 200}, {100, 10}, {180, 200}}}};
        f.model.KochCurve = {m, {{10, 100}, {60, 40}, {120, 100}, {170, 40}}, false};
        f.model.LSystem.FixPoints = {{{100, 200}, {100, 150}}};
    }

private slots:
    void initTestCase() { QVERIFY(f.open()); }
    void init() {
        QLocale::setDefault(QLocale("en_US"));
        f.dialogs.calls.clear();
        // Every case starts from the Cantor set's special frame, the view that
        // the refresh has to undo.
        storeRecords(zv::RecursiveMode);
        QVERIFY(f.selectType(zv::CantorSetType));
        f.form->SpecialParams_btn->click();
        QVERIFY(f.form->CantorSet_frm->isVisible());
    }

    // The panels each type gets, from its record.
    void panelsPerType_data() {
        table<Panels>({{"cantor set", 0, 0, "1001", 0, true, 2, false, false, false},
                       {"cross", 1, 0, "1000", 0, true, 5, true, true, true},
                       {"gadget", 2, 0, "1101", 0, false, 3, false, true, false},
                       {"koch curve, recursive", 3, 0, "1010", 0, false, 4, true, false, true},
                       {"koch curve, turtle: two rows", 3, 2, "1010", 2, false, 2, false, false, false},
                       {"l-system: always turtle", 4, 3, "0010", 2, true, 2, false, false, false}});
    }
    void panelsPerType() {
        QFETCH(Panels, row);
        storeRecords(row.storedMode);
        QVERIFY(f.selectType(row.type));
        QCOMPARE(enabledModes(), QString(row.modes));
        QCOMPARE(checkedMode(), row.selected);
        QCOMPARE(f.form->SpecialParams_btn->isEnabled(), row.switchEnabled);
        QCOMPARE(f.form->SpecialParams_btn->text(), ToSpecial);
        QCOMPARE(f.rows(), row.rows);
        QCOMPARE(f.form->AddFixPoint_btn->isEnabled(), row.commands);
        QCOMPARE(f.form->RemoveFixPoint_btn->isEnabled(), row.commands);
        QCOMPARE(f.form->ConnectLast_chk->checkState() == Qt::Checked, row.connectChecked);
        QCOMPARE(f.form->ConnectLast_chk->isEnabled(), row.connectEnabled);
        QCOMPARE(framesShown(), QStringList{"FixPoints_frm"});
        QCOMPARE(f.hiddenMarkers(), 0);
        const std::vector<zv::FixPoint> pts = pointsOf(f.model, row.type);
        for (int i = 0; i < row.rows; ++i) {
            const QPoint p(int(pts[std::size_t(i)].X), int(pts[std::size_t(i)].Y));
            QCOMPARE(f.fieldsAt(i), p);
            QCOMPARE(f.markerAt(i), p);
        }
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    // The special fields are filled from the record, in the user's locale; the
    // switch button toggles between the list and the special frame.
    void specialFields() {
        f.model.CantorSet.StepHeight = 33;
        f.model.CantorSet.ElementsCount = 4;
        f.model.Cross.DecreaseFactor = 0.25;
        f.model.LSystem = {{{{100, 200}, {100, 150}}}, "F+F", "FF", 1.5, -90};
        QLocale::setDefault(QLocale("de_DE"));
        QVERIFY(f.selectType(zv::CantorSetType));
        QCOMPARE(f.form->StepHeight_txt->text() + f.form->ElementsCount_txt->text(), QString("334"));
        QVERIFY(f.selectType(zv::CrossType));
        QCOMPARE(f.form->DecreaseFactor_txt->text(), QString("0,25"));
        QVERIFY(f.selectType(zv::LSystemType));
        const QPoint marker = f.markerAt(1);
        f.form->SpecialParams_btn->click();
        QCOMPARE(framesShown(), QStringList{"LSystem_frm"});
        QCOMPARE(f.form->SpecialParams_btn->text(), QString("< &Switch to FixPoints <"));
        QCOMPARE(f.markerAt(1), marker);
        QCOMPARE(f.hiddenMarkers(), 0);
        QCOMPARE(f.form->Initiator_txt->text() + f.form->Generator_txt->text(), QString("F+FFF"));
        QCOMPARE(f.form->LineLength_txt->text() + f.form->Delta_txt->text(), QString("1,5-90"));
        f.form->SpecialParams_btn->click();
        QCOMPARE(framesShown(), QStringList{"FixPoints_frm"});
    }

    // What a chosen draw mode shows, hides and leaves on the drawing area; a
    // type shown with a stored mode gets the same view.
    void drawModes_data() {
        const QStringList list{"FixPoints_frm"};
        table<ModeView>({{"cantor demo", 0, 3, false, {"CantorSet_frm"}, false, true, false},
                         {"cantor recursive", 0, 0, false, list, true, false, true},
                         {"gadget chaos game", 2, 1, false, {}, false, true, false},
                         {"gadget recursive", 2, 0, false, list, true, false, false},
                         {"gadget demo, stored", 2, 3, true, {}, false, true, false},
                         {"gadget chaos game, stored: preview stays", 2, 1, true, {}, false, false, false}});
    }
    void drawModes() {
        QFETCH(ModeView, row);
        if (row.stored) {
            storeRecords(row.mode);
            QVERIFY(f.selectType(row.type));
        } else { // from the opposite view of the same type
            f.model.CantorSet.DrawMode = row.mode == zv::DemoMode ? zv::RecursiveMode : zv::DemoMode;
            f.model.SierpinskyGadget.DrawMode = row.mode == 0 ? zv::ChaosGameMode : zv::RecursiveMode;
            QVERIFY(f.selectType(row.type));
            f.form->Output_pic->canvas().Box(150, 150, 180, 180, 0x00FF00); // erased by the choice
            f.form->DrawMode_opt[static_cast<std::size_t>(row.mode)]->click();
            QCOMPARE(f.pixelsOf(0x00FF00), 0);
        }
        QCOMPARE(checkedMode(), row.mode);
        QCOMPARE(framesShown(), row.frames);
        QCOMPARE(f.hiddenMarkers(), row.markers ? 0 : f.rows());
        QCOMPARE(f.pixelsOf(0xFFFFFF) == 200 * 250, row.blank);
        QCOMPARE(f.form->SpecialParams_btn->isEnabled(), row.switchEnabled);
        QCOMPARE(f.form->ElementsCount_txt->isHidden(), row.type == 0 && row.mode != 0);
    }

    // The Koch curve's turtle keeps two points; going back to recursive
    // enables the commands without bringing the removed rows back.
    void kochTurtleCutsRows() {
        QVERIFY(f.selectType(zv::KochCurveType));
        for (const int mode : {zv::TurtleGraphicsMode, zv::RecursiveMode}) {
            f.form->DrawMode_opt[static_cast<std::size_t>(mode)]->click();
            QCOMPARE(f.rows(), 2);
            QCOMPARE(f.form->AddFixPoint_btn->isEnabled(), mode == zv::RecursiveMode);
            QCOMPARE(f.form->ConnectLast_chk->isEnabled(), mode == zv::RecursiveMode);
        }
        QCOMPARE(f.fieldsAt(1), QPoint(60, 40));
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    // Selections before the timer fires cause one refresh, for the last one;
    // the arrow keys change the type without opening the list, and opening it
    // stores the edits of the type being left.
    void typeChanges() {
        QSignalSpy ticks(f.form->Unload_tmr, &QTimer::timeout);
        for (int t : {zv::LSystemType, zv::SierpinskyGadgetType, zv::KochCurveType}) {
            f.form->FractalType_cmb->setCurrentIndex(t);
            f.form->FractalType_cmb_Click();
        }
        QTRY_VERIFY(!f.form->Unload_tmr->isActive());
        QCOMPARE(ticks.size(), 1);
        QCOMPARE(enabledModes(), QString("1010"));
        f.form->FractalType_cmb->setFocus(Qt::TabFocusReason);
        f.form->FractalType_cmb->setCurrentIndex(zv::CantorSetType);
        f.key(Qt::Key_Down);
        QTRY_COMPARE(enabledModes(), QString("1000"));
        f.typeAndLeave(f.form->XPos_txt[0], "33");
        f.form->FractalType_cmb->showPopup();
        QCoreApplication::processEvents();
        QCOMPARE(f.model.Cross.FixPoints[0].X, 33.0);
        f.form->FractalType_cmb->hidePopup();
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        QVERIFY(f.selectType(zv::CantorSetType));
        QVERIFY(f.selectType(zv::CrossType));
        QCOMPARE(f.markerAt(0).x(), 33);
    }

    // Records from a file that the window cannot show as they are.
    void valuesTheWindowCannotShow_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("storedMode");
        QTest::addColumn<int>("points");
        QTest::newRow("cross, no points") << int(zv::CrossType) << 0 << 0;
        QTest::newRow("cross, nine points") << int(zv::CrossType) << 0 << 9;
        QTest::newRow("cross, mode 7") << int(zv::CrossType) << 7 << 3;
        QTest::newRow("cross, demo it does not offer") << int(zv::CrossType) << 3 << 3;
        QTest::newRow("gadget, turtle") << int(zv::SierpinskyGadgetType) << 2 << 3;
    }
    void valuesTheWindowCannotShow() {
        QFETCH(int, type);
        QFETCH(int, storedMode);
        QFETCH(int, points);
        f.model.Cross.FixPoints.clear();
        for (int i = 0; i < points; ++i) {
            f.model.Cross.FixPoints.push_back({10.0 + i, 20.0 + i});
        }
        f.model.Cross.DrawMode = static_cast<std::uint8_t>(storedMode);
        f.model.SierpinskyGadget.DrawMode = static_cast<std::uint8_t>(storedMode);
        QVERIFY(f.selectType(type));
        const int rows = type == zv::CrossType ? std::clamp(points, 2, 8) : 3;
        QCOMPARE(f.rows(), rows);
        QCOMPARE(checkedMode(), 0);
        QVERIFY(f.dialogs.calls.isEmpty());
        for (int i = 0; type == zv::CrossType && i < std::min(points, rows); ++i) {
            QCOMPARE(f.fieldsAt(i), QPoint(10 + i, 20 + i));
        }
    }

    // The drawing colour, except for the recursive gadget, which cuts its
    // holes in the background colour.
    void foreColor_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("random");
        QTest::addColumn<int>("expected");
        QTest::newRow("cantor set") << 0 << 0 << false << 0x123456;
        QTest::newRow("recursive gadget: background") << 2 << 0 << false << 0x654321;
        QTest::newRow("gadget chaos game") << 2 << 1 << false << 0x123456;
        QTest::newRow("random, recursive gadget") << 2 << 0 << true << -1;
    }
    void foreColor() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(bool, random);
        QFETCH(int, expected);
        QVERIFY(f.selectType(type));
        f.form->DrawMode_opt.at(std::size_t(mode))->setChecked(true);
        f.form->ForeColor_pic->setColor(0x123456);
        f.form->BackColor_pic->setColor(0x654321);
        f.form->RandomForeColor_chk->setChecked(random);
        f.form->TransferControlsToModel();
        QCOMPARE(f.model.ForeColor, expected);
        f.form->RandomForeColor_chk->setChecked(false);
    }

    // Texts as the user may leave them, checked or not: a text that is not a
    // finite number keeps the model's value, a number beyond the model field
    // is held at its limit, a fraction is rounded half to even.
    void numbers_data() {
        const double kept = std::numeric_limits<double>::quiet_NaN();
        table<Number>({{"depth, German fraction", "CalcDepth_txt", 0, "de_DE", "7,6", 8},
                       {"depth, half to even", "CalcDepth_txt", 0, "en_US", "2.5", 2},
                       {"depth, letters", "CalcDepth_txt", 0, "en_US", "abc", kept},
                       {"depth 1e12", "CalcDepth_txt", 0, "en_US", "1e12", 2147483647},
                       {"depth 1e400", "CalcDepth_txt", 0, "en_US", "1e400", kept},
                       {"depth, nan", "CalcDepth_txt", 0, "en_US", "nan", kept},
                       {"depth, negative", "CalcDepth_txt", 0, "en_US", "-3", 0},
                       {"step height -40000", "StepHeight_txt", 0, "en_US", "-40000", -32768},
                       {"elements 300", "ElementsCount_txt", 0, "en_US", "300", 255},
                       {"elements -1", "ElementsCount_txt", 0, "en_US", "-1", 0},
                       {"factor, typed comma, English", "DecreaseFactor_txt", 1, "en_US", "0,25", 0.25},
                       {"factor, letters", "DecreaseFactor_txt", 1, "de_DE", "x", kept},
                       {"angle, German", "Delta_txt", 4, "de_DE", "45,5", 45.5}});
    }
    void numbers() {
        QFETCH(Number, row);
        QVERIFY(f.selectType(row.type));
        QLocale::setDefault(QLocale(row.locale));
        const zv::ParameterModel& m = f.model;
        const QString field(row.field);
        const auto value = [&] {
            return field == "CalcDepth_txt"       ? double(m.CalcDepth)
                   : field == "StepHeight_txt"    ? double(m.CantorSet.StepHeight)
                   : field == "ElementsCount_txt" ? double(m.CantorSet.ElementsCount)
                   : field == "Delta_txt"         ? m.LSystem.Delta
                                                  : m.Cross.DecreaseFactor;
        };
        for (const QString& text : {QString("9"), QString(row.text)}) {
            f.find<QLineEdit>(field)->setText(text);
            f.form->TransferControlsToModel();
        }
        QCOMPARE(value(), std::isnan(row.expected) ? 9.0 : row.expected);
    }

    // The shown type's points and draw mode come from the controls (a row whose
    // X is no number keeps the point's X); a list type takes exactly as many
    // points as there are rows. The other records stay untouched.
    void fixPoints_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("previousCount"); // list types only
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("badRow"); // -1: none
        QTest::newRow("cantor set") << 0 << 0 << 2 << -1;
        QTest::newRow("gadget, unchecked row") << 2 << 0 << 3 << 1;
        QTest::newRow("cross 8 -> 5") << 1 << 8 << 5 << -1;
        QTest::newRow("koch 2 -> 4, unchecked new row") << 3 << 2 << 4 << 3;
        QTest::newRow("l-system") << 4 << 0 << 2 << -1;
    }
    void fixPoints() {
        QFETCH(int, type);
        QFETCH(int, previousCount);
        QFETCH(int, rows);
        QFETCH(int, badRow);
        f.model.Cross.FixPoints.assign(static_cast<std::size_t>(previousCount), {7, 8});
        f.model.KochCurve.FixPoints.assign(static_cast<std::size_t>(previousCount), {7, 8});
        QVERIFY(f.selectType(type));
        f.form->LastFixPointIndex = rows - 1;
        f.form->SetFixPointCount();
        const zv::FractalParameters before = f.model;
        const std::vector<zv::FixPoint> previous = pointsOf(before, type);
        for (std::size_t i = 0; i < std::size_t(rows); ++i) {
            f.form->XPos_txt[i]->setText(int(i) == badRow ? "12a" : QString::number(10 + i));
            f.form->YPos_txt[i]->setText(QString::number(100 + i));
        }
        const int mode = type == zv::CantorSetType ? zv::DemoMode : type == zv::LSystemType ? 2 : 0;
        f.form->DrawMode_opt.at(std::size_t(mode))->setChecked(true);
        f.form->ConnectLast_chk->setChecked(true);
        f.form->Initiator_txt->setText("F++F++F");
        f.form->TransferControlsToModel();
        const std::vector<zv::FixPoint> now = pointsOf(f.model, type);
        QCOMPARE(int(now.size()), rows);
        for (std::size_t i = 0; i < now.size(); ++i) {
            const double keptX = i < previous.size() ? previous[i].X : 0.0;
            QCOMPARE(now[i].X, int(i) == badRow ? keptX : 10.0 + i);
            QCOMPARE(now[i].Y, 100.0 + i);
        }
        // Put the shown type's expected record back: the rest must not have changed.
        zv::FractalParameters expected = f.model;
        switch (type) {
        case zv::CantorSetType:
            QCOMPARE(int(f.model.CantorSet.DrawMode), int(zv::DemoMode));
            expected.CantorSet = before.CantorSet;
            break;
        case zv::CrossType:
            QVERIFY(f.model.Cross.ConnectLast);
            expected.Cross = before.Cross;
            break;
        case zv::SierpinskyGadgetType:
            expected.SierpinskyGadget = before.SierpinskyGadget;
            break;
        case zv::KochCurveType:
            QVERIFY(f.model.KochCurve.ConnectLast);
            expected.KochCurve = before.KochCurve;
            break;
        default:
            QCOMPARE(f.model.LSystem.InitiatorString, std::string("F++F++F"));
            expected.LSystem = before.LSystem;
        }
        QVERIFY(expected == before);
    }
};

QTEST_MAIN(tst_Types)
#include "tst_Types.moc"
