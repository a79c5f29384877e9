// Choosing a fractal type and a draw mode: the refresh that fills the panels
// from the type's record, the draw modes each type offers, the switch between
// the fix point list and the special frames; and the way back, controls to
// model, in the user's locale, for the shown type's record only.

#include "../DataRows.h"
#include "WindowTestSupport.h"

#include "ColorSwatch.h"

#include <QGroupBox>
#include <cmath>

using namespace zvtest;

class tst_Types : public QObject {
    Q_OBJECT
    FormFixture f;

    // The panels in one line: each draw mode checked (*), enabled (1) or not
    // (0); the frames shown; rows and hidden markers; the switch, add, remove
    // and closing box enabled; that box ticked; the drawing area blank.
    QString view() const {
        const auto on = [](const QWidget* w) { return QChar(w->isEnabled() ? '1' : '0'); };
        QString v;
        for (const QRadioButton* mode : f.all<QRadioButton>("DrawMode_opt")) {
            v += mode->isChecked() ? QChar('*') : on(mode);
        }
        for (const char* frame : {"FixPoints", "CantorSet", "LSystem"}) {
            v += f.find(frame + QString("_frm"))->isVisible() ? ' ' + QString(frame) : QString();
        }
        v += QString(" %1 rows %2 hidden ").arg(f.rows()).arg(f.hiddenMarkers());
        for (const char* name :
             {"SpecialParams_btn", "AddFixPoint_btn", "RemoveFixPoint_btn", "ConnectLast_chk"}) {
            v += on(f.find(name));
        }
        v += f.box("ConnectLast_chk")->checkState() == Qt::Checked ? " ticked" : "";
        v += f.field("ElementsCount_txt")->isHidden() ? " no count" : "";
        return v + (f.pixelsOf(0xFFFFFF) == 200 * 250 ? " blank" : "");
    }
private slots:
    void initTestCase() { QVERIFY(f.open()); }
    void init() {
        QLocale::setDefault(QLocale("en_US"));
        f.dialogs.calls.clear();
        // Every case starts from recursive records and the Cantor set's special
        // frame, the view that the refresh has to undo.
        QVERIFY(f.selectType(zv::CantorSetType, [&] {
            f.model.CantorSet = {0, {{{20, 60}, {180, 60}}}, 20, 3};
            f.model.Cross = {0, {{10, 10}, {60, 10}, {60, 60}, {10, 60}, {30, 90}}, true, 0.5};
            f.model.SierpinskyGadget = {0, {{{10, 200}, {100, 10}, {180, 200}}}};
            f.model.KochCurve = {0, {{10, 100}, {60, 40}, {120, 100}, {170, 40}}, false};
        }));
        f.button("SpecialParams_btn")->click();
    }

    // The panels each type gets from its record, also from a record the window
    // cannot show as it is, and after the user chooses draw modes (the turtle's
    // cut rows stay cut).
    // points: of the list type, -1 as stored; clicks: the draw modes the user
    // clicks after the type is shown.
    void panels_data() {
        columns<int, int, QString, QString>("type", "points", "clicks", "view");
        row("cantor set", 0, -1, "", "*001 FixPoints 2 rows 0 hidden 1000");
        row("cross, 9 points, mode 7", 1, 9, "", "*000 FixPoints 8 rows 0 hidden 1111 ticked");
        row("koch curve, one point", 3, 1, "", "*010 FixPoints 2 rows 0 hidden 0111");
        row("koch turtle and back", 3, -1, "20", "*010 FixPoints 2 rows 0 hidden 0111");
        row("l-system: always turtle", 4, -1, "", "00*0 FixPoints 2 rows 0 hidden 1000");
        row("cantor demo", 0, -1, "3", "100* CantorSet 2 rows 2 hidden 0000 no count blank");
        row("gadget chaos game chosen", 2, -1, "1", "1*01 3 rows 3 hidden 0000 ticked blank");
        row("gadget demo chosen", 2, -1, "3", "110* 3 rows 3 hidden 0000 ticked blank");
    }
    void panels() {
        QFETCH(int, type);
        QFETCH(int, points);
        QFETCH(QString, clicks);
        QVERIFY(f.selectType(type, [&] {
            if (points >= 0) {
                auto& pts =
                    type == zv::CrossType ? f.model.Cross.FixPoints : f.model.KochCurve.FixPoints;
                pts.resize(std::size_t(points), {77, 88});
                f.model.Cross.DrawMode = 7; // no mode of the cross
            }
        }));
        f.canvas().Box(150, 150, 180, 180, 0x00FF00);
        for (const QChar mode : clicks) {
            f.at<QRadioButton>("DrawMode_opt", mode.digitValue())->click();
        }
        QTEST(view(), "view");
        QVERIFY(f.dialogs.calls.isEmpty()); // no refusal while the rows are set up
    }

    // The L-system's frame is filled from the record in the user's locale; its
    // strings go back one byte a character, what Latin-1 lacks as '?'.
    void specialFields() {
        QLocale::setDefault(QLocale("de_DE"));
        QVERIFY(f.selectType(zv::LSystemType, [&] {
            f.model.LSystem = {{{{100, 200}, {100, 150}}}, "F\xe9+F", "FF", 1.5, -90};
        }));
        f.button("SpecialParams_btn")->click();
        QVERIFY(view().startsWith("00*0 LSystem 2 rows 0 hidden"));
        QCOMPARE(f.field("Initiator_txt")->text() + f.field("Generator_txt")->text(),
                 QStringLiteral("F\u00e9+FFF"));
        QCOMPARE(f.field("LineLength_txt")->text() + f.field("Delta_txt")->text(),
                 QString("1,5-90"));
        f.field("Generator_txt")->setText(QStringLiteral("F\u00e9F\u20ac")); // pasted
        f.form->TransferControlsToModel();
        QCOMPARE(f.model.LSystem.InitiatorString + f.model.LSystem.GeneratorString,
                 std::string("F\351+FF\351F?"));
    }

    // Opening the type list, or two arrow keys that change the type without
    // opening it, store the edits of the type being left (and not in the
    // record passed on the way).
    void typeChanges() {
        QVERIFY(f.selectType(zv::CrossType));
        auto* list = f.find<QComboBox>("FractalType_cmb");
        f.typeAndLeave(f.at("XPos_txt", 0), "33");
        list->showPopup();
        QCOMPARE(f.model.Cross.FixPoints[0].X, 33.0);
        list->hidePopup();
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
        const zv::FractalParameters before = f.model;
        f.typeAndLeave(f.at("XPos_txt", 0), "44");
        QVERIFY(f.selectType(zv::KochCurveType)); // two keys down, past the gadget
        QVERIFY(f.model.SierpinskyGadget == before.SierpinskyGadget);
        QVERIFY(f.selectType(zv::CrossType));
        QCOMPARE(f.at<QLineEdit>("XPos_txt", 0)->text(), QString("44"));
    }

    // Texts as the user may leave them: a text that is not a finite number
    // keeps the model's value, a number beyond the model field is held at its
    // limit, a fraction is rounded half to even.
    // expected NaN: the model keeps its value.
    void numbers_data() {
        columns<QString, QString, QString, double>("field", "locale", "text", "expected");
        row("depth, German fraction", "CalcDepth_txt", "de_DE", "7,6", 8.0);
        row("depth, half to even", "CalcDepth_txt", "en_US", "2.5", 2.0);
        row("depth, infinite", "CalcDepth_txt", "en_US", "inf", std::nan(""));
        row("depth, negative", "CalcDepth_txt", "en_US", "-3", 0.0);
        row("elements 300", "ElementsCount_txt", "en_US", "300", 255.0);
        row("factor, typed comma, English", "DecreaseFactor_txt", "en_US", "0,25", 0.25);
    }
    void numbers() {
        QFETCH(QString, field);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(double, expected);
        QVERIFY(f.selectType(field == "DecreaseFactor_txt" ? zv::CrossType : zv::CantorSetType));
        QLocale::setDefault(QLocale(locale));
        for (const QString& typed : {QString("9"), text}) {
            f.field(field)->setText(typed);
            f.form->TransferControlsToModel();
        }
        const double value = field == "CalcDepth_txt" ? double(f.model.CalcDepth)
                             : field == "ElementsCount_txt"
                                 ? double(f.model.CantorSet.ElementsCount)
                                 : f.model.Cross.DecreaseFactor;
        QCOMPARE(value, std::isnan(expected) ? 9.0 : expected);
    }

    // The shown type's record takes its points from the rows (an X that is no
    // number keeps the point's X, or 0 for a row beyond the record's points; a
    // list takes exactly as many points as there are rows); the closing box
    // goes to the lists that have one. The recursive gadget cuts its holes in
    // the background colour. The other records stay untouched.
    void transfer() {
        for (const auto& [type, rows, expected, closed] :
             {std::tuple(2, 3, "0|10|100|100|101|180|102", true),
              std::tuple(3, 5, "0| 4|10|100|60|101|12|102|13|103|0|104|True|", true),
              std::tuple(1, 5, "0| 4|10|100|60|101|12|102|13|103|30|104|False|0.5", false)}) {
            QVERIFY(f.selectType(type));
            if (f.rows() < rows) {
                f.button("AddFixPoint_btn")->click(); // one row beyond the record's four
            }
            const zv::FractalParameters before = f.model;
            for (int i = 0; i < rows; ++i) {
                f.at<QLineEdit>("XPos_txt", i)
                    ->setText(i == 1 || i == rows - 1 ? "12a" : QString::number(10 + i));
                f.at<QLineEdit>("YPos_txt", i)->setText(QString::number(100 + i));
            }
            f.tick("ConnectLast_chk", closed);
            f.form->TransferControlsToModel();
            QVERIFY(record(f.model, type).replace("\r\n", "|").startsWith(expected));
            const char* colour =
                type == zv::SierpinskyGadgetType ? "BackColor_pic" : "ForeColor_pic";
            QCOMPARE(f.model.ForeColor, f.find<zv::ColorSwatch>(colour)->color());
            for (int t = 0; t < zv::FractalTypeCount; ++t) {
                QCOMPARE(record(f.model, t) == record(before, t), t != type);
            }
        }
    }
};

QTEST_MAIN(tst_Types)
#include "tst_Types.moc"
