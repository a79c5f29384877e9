// Choosing a fractal type and a draw mode: the refresh that fills the panels
// from the type's record, the draw modes each type offers, the switch between
// the fix point list and the special frames; and the way back, controls to
// model, in the user's locale, for the shown type's record only.

#include "WindowTestSupport.h"

#include "ColorSwatch.h"

#include <QGroupBox>
#include <QLocale>
#include <QSignalSpy>
#include <QWheelEvent>
#include <cmath>

using namespace zvtest;

namespace {

struct Panels {
    const char* tag;
    int type;
    int mode;     // stored, or chosen by the user when clicked
    int points;   // of the cross, -1: as stored
    bool clicked; // the user clicks the mode after the type is shown
    const char* view;
};
struct Number {
    const char* tag;
    const char* field;
    int type;
    const char* locale;
    const char* text;
    double expected; // NaN: the model keeps its value
};

} // namespace

Q_DECLARE_METATYPE(Panels)
Q_DECLARE_METATYPE(Number)

class tst_Types : public QObject {
    Q_OBJECT
    FormFixture f;

    // What the panels show: the enabled and the selected draw mode, the frames,
    // the rows, the markers (hidden or shown), the switch, add and remove, the
    // closing check box (ticked, enabled), and whether the drawing area is blank.
    QString view() const {
        QString modes, frames;
        int checked = -1;
        for (std::size_t i = 0; i < f.form->DrawMode_opt.size(); ++i) {
            modes += f.form->DrawMode_opt[i]->isEnabled() ? '1' : '0';
            checked = f.form->DrawMode_opt[i]->isChecked() ? int(i) : checked;
        }
        for (QGroupBox* g : {f.form->FixPoints_frm, f.form->CantorSet_frm, f.form->Cross_frm,
                             f.form->LSystem_frm}) {
            frames += g->isVisible() ? g->objectName() + " " : QString();
        }
        const auto on = [](const QWidget* w) { return w->isEnabled() ? '1' : '0'; };
        const bool blank = f.pixelsOf(0xFFFFFF) == 200 * 250;
        return QString("modes %1 (%2), %3%4 rows, %5 hidden, switch %6, add %7%8, connect %9%10%11")
            .arg(modes)
            .arg(checked)
            .arg(frames)
            .arg(f.rows())
            .arg(f.hiddenMarkers())
            .arg(on(f.form->SpecialParams_btn))
            .arg(on(f.form->AddFixPoint_btn))
            .arg(on(f.form->RemoveFixPoint_btn))
            .arg(f.form->ConnectLast_chk->checkState() == Qt::Checked ? '1' : '0')
            .arg(on(f.form->ConnectLast_chk))
            .arg(blank ? ", blank" : "");
    }
    void storeRecords(int mode) {
        const auto m = static_cast<std::uint8_t>(mode);
        f.model.CantorSet = {m, {{{20, 60}, {180, 60}}}, 20, 3};
        f.model.Cross = {m, {{10, 10}, {60, 10}, {60, 60}, {10, 60}, {30, 90}}, true, 0.5};
        f.model.SierpinskyGadget = {m, {{{10, 200}, {100, 10}, {180, 200}}}};
        f.model.KochCurve = {m, {{10, 100}, {60, 40}, {120, 100}, {170, 40}}, false};
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

    // The panels each type gets from its record, also from a record the window
    // cannot show as it is, and after the user chooses a draw mode.
    void panels_data() {
        table<Panels>({
            {"cantor set", 0, 0, -1, false,
             "modes 1001 (0), FixPoints_frm 2 rows, 0 hidden, switch 1, add 00, connect 00"},
            {"cross", 1, 0, -1, false,
             "modes 1000 (0), FixPoints_frm 5 rows, 0 hidden, switch 1, add 11, connect 11"},
            {"gadget", 2, 0, -1, false,
             "modes 1101 (0), FixPoints_frm 3 rows, 0 hidden, switch 0, add 00, connect 10"},
            {"koch curve", 3, 0, -1, false,
             "modes 1010 (0), FixPoints_frm 4 rows, 0 hidden, switch 0, add 11, connect 01"},
            {"koch curve, turtle: two rows", 3, 2, -1, false,
             "modes 1010 (2), FixPoints_frm 2 rows, 0 hidden, switch 0, add 00, connect 00"},
            {"l-system: always turtle", 4, 3, -1, false,
             "modes 0010 (2), FixPoints_frm 2 rows, 0 hidden, switch 1, add 00, connect 00"},
            {"cross, no points", 1, 0, 0, false,
             "modes 1000 (0), FixPoints_frm 2 rows, 0 hidden, switch 1, add 11, connect 11"},
            {"cross, nine points", 1, 0, 9, false,
             "modes 1000 (0), FixPoints_frm 8 rows, 0 hidden, switch 1, add 11, connect 11"},
            {"cross, mode 7", 1, 7, -1, false,
             "modes 1000 (0), FixPoints_frm 5 rows, 0 hidden, switch 1, add 11, connect 11"},
            {"gadget, stored demo", 2, 3, -1, false,
             "modes 1101 (3), 3 rows, 3 hidden, switch 0, add 00, connect 10"},
            {"cantor demo chosen", 0, 3, -1, true,
             "modes 1001 (3), CantorSet_frm 2 rows, 2 hidden, switch 0, add 00, connect 00, blank"},
            {"gadget chaos game chosen", 2, 1, -1, true,
             "modes 1101 (1), 3 rows, 3 hidden, switch 0, add 00, connect 10, blank"},
        });
    }
    void panels() {
        QFETCH(Panels, row);
        storeRecords(row.clicked ? 0 : row.mode);
        if (row.points >= 0) {
            f.model.Cross.FixPoints.clear();
            for (int i = 0; i < row.points; ++i) {
                f.model.Cross.FixPoints.push_back({10.0 + i, 20.0 + i});
            }
        }
        QVERIFY(f.selectType(row.type));
        f.form->Output_pic->canvas().Box(150, 150, 180, 180, 0x00FF00);
        if (row.clicked) {
            f.form->DrawMode_opt[static_cast<std::size_t>(row.mode)]->click();
            QCOMPARE(f.pixelsOf(0x00FF00), 0); // a choice clears the drawing area
        }
        QCOMPARE(view(), QString(row.view));
        QCOMPARE(f.form->SpecialParams_btn->text(), QString("> &Switch to Special >"));
        // The rows show the record's points, the markers sit on them.
        const QList<QByteArray> stored = record(f.model, row.type).split('\n');
        for (int i = 0; i < f.rows(); ++i) {
            QCOMPARE(f.fieldsAt(i), f.markerAt(i));
        }
        // The first X follows the mode line and, for a list, the last index.
        const int first = row.type == zv::LSystemType ? 0 : row.type % 2 == 1 ? 2 : 1;
        QVERIFY(row.points == 0 || f.fieldsAt(0).x() == stored.value(first).trimmed().toInt());
        QCOMPARE(f.form->ElementsCount_txt->isHidden(), row.type == 0 && row.mode == 3);
        QVERIFY(f.dialogs.calls.isEmpty());
    }

    // The special fields are filled from the record in the user's locale; the
    // switch button toggles between the list and the special frame.
    void specialFields() {
        f.model.CantorSet.StepHeight = 33;
        f.model.CantorSet.ElementsCount = 4;
        f.model.Cross.DecreaseFactor = 0.25;
        f.model.LSystem = {{{{100, 200}, {100, 150}}}, "F\xe9+F", "FF", 1.5, -90};
        QLocale::setDefault(QLocale("de_DE"));
        QVERIFY(f.selectType(zv::CantorSetType));
        QCOMPARE(f.form->StepHeight_txt->text() + f.form->ElementsCount_txt->text(),
                 QString("334"));
        QVERIFY(f.selectType(zv::CrossType));
        QCOMPARE(f.form->DecreaseFactor_txt->text(), QString("0,25"));
        QVERIFY(f.selectType(zv::LSystemType));
        const QPoint marker = f.markerAt(1);
        f.form->SpecialParams_btn->click();
        QVERIFY(view().contains("0010 (2), LSystem_frm 2 rows, 0 hidden"));
        QCOMPARE(f.form->SpecialParams_btn->text(), QString("< &Switch to FixPoints <"));
        QCOMPARE(f.markerAt(1), marker);
        QCOMPARE(f.form->Initiator_txt->text() + f.form->Generator_txt->text(),
                 QStringLiteral("F\u00e9+FFF"));
        QCOMPARE(f.form->LineLength_txt->text() + f.form->Delta_txt->text(), QString("1,5-90"));
        // Back into the model one byte a character; what Latin-1 lacks becomes '?'.
        f.form->Generator_txt->setText(QStringLiteral("F\u00e9F\u20ac"));
        f.form->TransferControlsToModel();
        QCOMPARE(f.model.LSystem.InitiatorString + f.model.LSystem.GeneratorString,
                 std::string("F\xe9+FF\xe9" "F?"));
        f.form->SpecialParams_btn->click();
        QVERIFY(f.form->FixPoints_frm->isVisible());
    }

    // Selections before the timer fires cause one refresh, for the last one;
    // the arrow keys change the type without opening the list; opening it, or
    // two wheel notches, store the edits of the type being left (and not in
    // the record passed on the way); the turtle's cut rows stay cut.
    void typeChanges() {
        QComboBox* list = f.form->FractalType_cmb;
        QSignalSpy ticks(f.form->Unload_tmr, &QTimer::timeout);
        for (int t : {zv::LSystemType, zv::SierpinskyGadgetType, zv::KochCurveType}) {
            list->setCurrentIndex(t);
            f.form->FractalType_cmb_Click();
        }
        QTRY_VERIFY(!f.form->Unload_tmr->isActive());
        QCOMPARE(ticks.size(), 1);
        f.form->DrawMode_opt[zv::TurtleGraphicsMode]->click();
        f.form->DrawMode_opt[zv::RecursiveMode]->click();
        QVERIFY(view().contains("1010 (0), FixPoints_frm 2 rows, 0 hidden, switch 0, add 11"));
        list->setFocus(Qt::TabFocusReason);
        list->setCurrentIndex(zv::CantorSetType);
        f.key(Qt::Key_Down);
        QTRY_VERIFY(view().startsWith("modes 1000"));
        f.typeAndLeave(f.form->XPos_txt.at(0), "33");
        list->showPopup();
        QCoreApplication::processEvents();
        QCOMPARE(f.model.Cross.FixPoints[0].X, 33.0);
        list->hidePopup();
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        const auto wheel = [list](int delta) {
            for (int i = 0; i < 2; ++i) {
                QWheelEvent notch(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), {},
                                  QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                                  Qt::NoScrollPhase, false);
                QCoreApplication::sendEvent(list, &notch);
            }
        };
        const zv::FractalParameters before = f.model;
        f.typeAndLeave(f.form->XPos_txt.at(0), "44");
        wheel(-120);
        QCOMPARE(list->currentIndex(), int(zv::KochCurveType));
        QTRY_VERIFY(!f.form->Unload_tmr->isActive());
        QCOMPARE(f.model.Cross.FixPoints[0].X, 44.0);
        QCOMPARE(record(f.model, zv::SierpinskyGadgetType),
                 record(before, zv::SierpinskyGadgetType));
        wheel(120);
        QTRY_VERIFY(!f.form->Unload_tmr->isActive());
        QCOMPARE(f.form->XPos_txt[0]->text(), QString("44"));
        QCOMPARE(f.markerAt(0).x(), 44);
    }

    // Texts as the user may leave them, checked or not: a text that is not a
    // finite number keeps the model's value, a number beyond the model field
    // is held at its limit, a fraction is rounded half to even.
    void numbers_data() {
        const double kept = std::nan("");
        table<Number>(
            {{"depth, German fraction", "CalcDepth_txt", 0, "de_DE", "7,6", 8},
             {"depth, half to even", "CalcDepth_txt", 0, "en_US", "2.5", 2},
             {"depth, letters", "CalcDepth_txt", 0, "en_US", "abc", kept},
             {"depth 1e12", "CalcDepth_txt", 0, "en_US", "1e12", 2147483647},
             {"depth 1e400", "CalcDepth_txt", 0, "en_US", "1e400", kept},
             {"depth, negative", "CalcDepth_txt", 0, "en_US", "-3", 0},
             {"step height -40000", "StepHeight_txt", 0, "en_US", "-40000", -32768},
             {"elements 300", "ElementsCount_txt", 0, "en_US", "300", 255},
             {"factor, typed comma, English", "DecreaseFactor_txt", 1, "en_US", "0,25", 0.25},
             {"angle, German", "Delta_txt", 4, "de_DE", "45,5", 45.5}});
    }
    void numbers() {
        QFETCH(Number, row);
        QVERIFY(f.selectType(row.type));
        QLocale::setDefault(QLocale(row.locale));
        const zv::ParameterModel& m = f.model;
        const QString field(row.field);
        for (const QString& text : {QString("9"), QString(row.text)}) {
            f.find<QLineEdit>(field)->setText(text);
            f.form->TransferControlsToModel();
        }
        const double value = field == "CalcDepth_txt"       ? double(m.CalcDepth)
                             : field == "StepHeight_txt"    ? double(m.CantorSet.StepHeight)
                             : field == "ElementsCount_txt" ? double(m.CantorSet.ElementsCount)
                             : field == "Delta_txt"         ? m.LSystem.Delta
                                                            : m.Cross.DecreaseFactor;
        QCOMPARE(value, std::isnan(row.expected) ? 9.0 : row.expected);
    }

    // The drawing colour, except for the recursive gadget, which cuts its
    // holes in the background colour.
    void foreColor() {
        for (const auto& [type, mode, random, expected] :
             {std::tuple(0, 0, false, 0x123456), std::tuple(2, 0, false, 0x654321),
              std::tuple(2, 1, false, 0x123456), std::tuple(2, 0, true, -1)}) {
            QVERIFY(f.selectType(type));
            f.form->DrawMode_opt.at(std::size_t(mode))->setChecked(true);
            f.form->ForeColor_pic->setColor(0x123456);
            f.form->BackColor_pic->setColor(0x654321);
            f.form->RandomForeColor_chk->setChecked(random);
            f.form->TransferControlsToModel();
            QCOMPARE(f.model.ForeColor, expected);
        }
        f.form->RandomForeColor_chk->setChecked(false);
    }

    // The shown type's record comes from the controls: its points from the
    // rows (a row whose X is no number keeps the point's X; a list type takes
    // exactly as many points as there are rows) and its mode. The other
    // records stay untouched.
    void fixPoints_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("previousCount"); // list types only
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("badRow"); // -1: none
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("cantor set, demo")
            << 0 << 0 << 2 << -1 << QByteArray("3|10|100|11|101|20|3|");
        QTest::newRow("gadget, unchecked row")
            << 2 << 0 << 3 << 1 << QByteArray("0|10|100|5|101|12");
        QTest::newRow("cross 8 -> 5")
            << 1 << 8 << 5 << -1 << QByteArray("0| 4|10|100|11|101|12|102|13|103|14|104|True|");
        QTest::newRow("koch 2 -> 4, unchecked new row")
            << 3 << 2 << 4 << 3 << QByteArray("0| 3|10|100|11|101|12|102|0|103|True|");
    }
    void fixPoints() {
        QFETCH(int, type);
        QFETCH(int, previousCount);
        QFETCH(int, rows);
        QFETCH(int, badRow);
        QFETCH(QByteArray, expected);
        f.model.Cross.FixPoints.assign(static_cast<std::size_t>(previousCount), {7, 8});
        f.model.KochCurve.FixPoints.assign(static_cast<std::size_t>(previousCount), {7, 8});
        f.model.SierpinskyGadget.FixPoints[1] = {5, 6};
        QVERIFY(f.selectType(type));
        f.form->LastFixPointIndex = rows - 1;
        f.form->SetFixPointCount();
        QCOMPARE(f.rows(), rows);
        const zv::FractalParameters before = f.model;
        for (std::size_t i = 0; i < std::size_t(rows); ++i) {
            f.form->XPos_txt.at(i)->setText(int(i) == badRow ? "12a" : QString::number(10 + i));
            f.form->YPos_txt.at(i)->setText(QString::number(100 + i));
        }
        f.form->DrawMode_opt.at(type == zv::CantorSetType ? 3 : 0)->setChecked(true);
        f.form->ConnectLast_chk->setChecked(true);
        f.form->TransferControlsToModel();
        QVERIFY2(record(f.model, type).replace("\r\n", "|").startsWith(expected),
                 record(f.model, type).constData());
        for (int t = 0; t < zv::FractalTypeCount; ++t) {
            QCOMPARE(record(f.model, t) == record(before, t), t != type);
        }
    }
};

QTEST_MAIN(tst_Types)
#include "tst_Types.moc"
