// Controls -> model: the common values with the drawing colour's exception for
// the recursive gadget, the conversions of every field in the user's locale
// (also of texts that reach the transfer unchecked), and the shown type's
// record taken from the rows while the other records keep their values.

#include "WindowTestSupport.h"

#include "ColorSwatch.h"
#include "TextField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>
#include <limits>

using zvtest::FormFixture;

namespace {

constexpr std::int32_t Fore = 0x123456;
constexpr std::int32_t Back = 0x654321;

} // namespace

class tst_Transfer : public QObject {
    Q_OBJECT
    FormFixture f;

    // Shows a type as a user's pick does: its panels and rows come from the model.
    void selectType(int type) {
        f.form->FractalType_cmb->setCurrentIndex(type);
        f.form->Unload_tmr_Timer();
    }
    void selectMode(int mode) {
        f.form->DrawMode_opt.at(static_cast<std::size_t>(mode))->setChecked(true);
    }
    void setRows(int count) {
        f.form->LastFixPointIndex = count - 1;
        f.form->SetFixPointCount();
    }
    std::vector<zv::FixPoint>* pointList(int type) {
        switch (type) {
        case zv::CrossType:
            return &f.model.Cross.FixPoints;
        case zv::KochCurveType:
            return &f.model.KochCurve.FixPoints;
        default:
            return nullptr;
        }
    }
    std::span<const zv::FixPoint> points(int type) const {
        switch (type) {
        case zv::CantorSetType:
            return f.model.CantorSet.FixPoints;
        case zv::CrossType:
            return f.model.Cross.FixPoints;
        case zv::SierpinskyGadgetType:
            return f.model.SierpinskyGadget.FixPoints;
        case zv::KochCurveType:
            return f.model.KochCurve.FixPoints;
        default:
            return f.model.LSystem.FixPoints;
        }
    }
    // The model field a numeric control feeds, as a double.
    double modelValue(const QString& field) const {
        if (field == "CalcDepth_txt") {
            return f.model.CalcDepth;
        }
        if (field == "StepHeight_txt") {
            return f.model.CantorSet.StepHeight;
        }
        if (field == "ElementsCount_txt") {
            return f.model.CantorSet.ElementsCount;
        }
        if (field == "DecreaseFactor_txt") {
            return f.model.Cross.DecreaseFactor;
        }
        if (field == "LineLength_txt") {
            return f.model.LSystem.LineLength;
        }
        return f.model.LSystem.Delta;
    }
    void setModelValue(const QString& field, double v) {
        if (field == "CalcDepth_txt") {
            f.model.CalcDepth = static_cast<std::int32_t>(v);
        } else if (field == "StepHeight_txt") {
            f.model.CantorSet.StepHeight = static_cast<std::int16_t>(v);
        } else if (field == "ElementsCount_txt") {
            f.model.CantorSet.ElementsCount = static_cast<std::uint8_t>(v);
        } else if (field == "DecreaseFactor_txt") {
            f.model.Cross.DecreaseFactor = v;
        } else if (field == "LineLength_txt") {
            f.model.LSystem.LineLength = v;
        } else {
            f.model.LSystem.Delta = v;
        }
    }
    static int typeOf(const QString& field) {
        if (field == "StepHeight_txt" || field == "ElementsCount_txt") {
            return zv::CantorSetType;
        }
        if (field == "DecreaseFactor_txt") {
            return zv::CrossType;
        }
        if (field == "LineLength_txt" || field == "Delta_txt") {
            return zv::LSystemType;
        }
        return zv::KochCurveType;
    }

private slots:
    void initTestCase() { QVERIFY(f.open()); }
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void foreColor_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("random");
        QTest::addColumn<int>("expected");
        QTest::newRow("cantor set") << 0 << 0 << false << Fore;
        QTest::newRow("recursive gadget: background") << 2 << 0 << false << Back;
        QTest::newRow("chaos game") << 2 << 1 << false << Fore;
        QTest::newRow("gadget demo") << 2 << 3 << false << Fore;
        QTest::newRow("random, recursive gadget") << 2 << 0 << true << -1;
        QTest::newRow("random, chaos game") << 2 << 1 << true << -1;
    }
    void foreColor() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(bool, random);
        QFETCH(int, expected);
        selectType(type);
        selectMode(mode);
        f.form->ForeColor_pic->setColor(Fore);
        f.form->BackColor_pic->setColor(Back);
        f.form->RandomForeColor_chk->setChecked(random);
        f.form->TransferControlsToModel();
        QCOMPARE(f.model.ForeColor, expected);
        f.form->RandomForeColor_chk->setChecked(false);
    }

    // Texts as the user may leave them, checked or not: a text that is not a
    // finite number keeps the model's value, a number beyond the field's width
    // is held at its limit, a fraction is rounded half to even.
    void numbers_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("previous");
        QTest::addColumn<double>("expected");
        const double longMax = std::numeric_limits<std::int32_t>::max();
        const auto row = [](const char* name, const char* field, const char* locale,
                            const char* text, double previous, double expected) {
            QTest::newRow(name) << QString(field) << QString(locale) << QString(text) << previous
                                << expected;
        };
        row("depth, German fraction", "CalcDepth_txt", "de_DE", "7,6", 1, 8);
        row("depth, half to even", "CalcDepth_txt", "en_US", "2.5", 1, 2);
        row("depth, letters", "CalcDepth_txt", "en_US", "abc", 9, 9);
        row("depth 1e12", "CalcDepth_txt", "en_US", "1e12", 9, longMax);
        row("depth 1e400", "CalcDepth_txt", "en_US", "1e400", 9, 9);
        row("depth, negative", "CalcDepth_txt", "en_US", "-3", 9, 0);
        row("depth, nan", "CalcDepth_txt", "en_US", "nan", 9, 9);
        row("step height 40000", "StepHeight_txt", "en_US", "40000", 20, 32767);
        row("step height -40000", "StepHeight_txt", "en_US", "-40000", 20, -32768);
        row("elements 300", "ElementsCount_txt", "en_US", "300", 3, 255);
        row("elements -1", "ElementsCount_txt", "en_US", "-1", 3, 0);
        row("factor, German", "DecreaseFactor_txt", "de_DE", "0,25", 0.5, 0.25);
        row("factor, typed comma, English", "DecreaseFactor_txt", "en_US", "0,25", 0.5, 0.25);
        row("factor, letters", "DecreaseFactor_txt", "de_DE", "x", 0.7, 0.7);
        row("line length, typed comma, English", "LineLength_txt", "en_US", "0,75", 0.5, 0.75);
        row("angle, German", "Delta_txt", "de_DE", "45,5", 50, 45.5);
    }
    void numbers() {
        QFETCH(QString, field);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(double, previous);
        QFETCH(double, expected);
        selectType(typeOf(field));
        QLocale::setDefault(QLocale(locale));
        setModelValue(field, previous);
        f.find<QLineEdit>(field)->setText(text);
        f.form->TransferControlsToModel();
        QCOMPARE(modelValue(field), expected);
    }

    // The shown type's points come from the rows; a list type takes exactly
    // as many points as there are rows. The other records stay untouched.
    void fixPoints_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("previousCount"); // list types only
        QTest::addColumn<int>("rows");          // list types only
        QTest::addColumn<int>("badRow");        // a row whose X is not a number, or -1
        QTest::newRow("cantor set") << 0 << 0 << 2 << -1;
        QTest::newRow("gadget") << 2 << 0 << 3 << -1;
        QTest::newRow("l-system") << 4 << 0 << 2 << -1;
        QTest::newRow("cross 8 -> 5") << 1 << 8 << 5 << -1;
        QTest::newRow("koch 2 -> 4") << 3 << 2 << 4 << -1;
        QTest::newRow("gadget, unchecked row") << 2 << 0 << 3 << 1;
        QTest::newRow("koch, unchecked new row") << 3 << 2 << 4 << 3;
    }
    void fixPoints() {
        QFETCH(int, type);
        QFETCH(int, previousCount);
        QFETCH(int, rows);
        QFETCH(int, badRow);
        if (std::vector<zv::FixPoint>* list = pointList(type)) {
            list->assign(static_cast<std::size_t>(previousCount), zv::FixPoint{7, 8});
        }
        selectType(type);
        selectMode(type == zv::LSystemType ? 2 : 0);
        setRows(rows);
        QCOMPARE(int(f.form->XPos_txt.size()), rows);
        const zv::FractalParameters before = f.model;
        const std::vector<zv::FixPoint> previous(points(type).begin(), points(type).end());
        for (int i = 0; i < rows; ++i) {
            f.form->XPos_txt[static_cast<std::size_t>(i)]->setText(QString::number(10 + i));
            f.form->YPos_txt[static_cast<std::size_t>(i)]->setText(QString::number(100 + i));
        }
        if (badRow >= 0) {
            f.form->XPos_txt[static_cast<std::size_t>(badRow)]->setText("12a");
        }
        f.form->TransferControlsToModel();

        const std::span<const zv::FixPoint> now = points(type);
        QCOMPARE(int(now.size()), rows);
        for (int i = 0; i < rows; ++i) {
            const auto k = static_cast<std::size_t>(i);
            const double keptX = k < previous.size() ? previous[k].X : 0.0;
            QCOMPARE(now[k].X, i == badRow ? keptX : 10.0 + i);
            QCOMPARE(now[k].Y, 100.0 + i);
        }
        // Put the shown type's record back: the rest must not have changed.
        zv::FractalParameters others = f.model;
        others.CantorSet = type == zv::CantorSetType ? before.CantorSet : others.CantorSet;
        others.Cross = type == zv::CrossType ? before.Cross : others.Cross;
        others.SierpinskyGadget =
            type == zv::SierpinskyGadgetType ? before.SierpinskyGadget : others.SierpinskyGadget;
        others.KochCurve = type == zv::KochCurveType ? before.KochCurve : others.KochCurve;
        others.LSystem = type == zv::LSystemType ? before.LSystem : others.LSystem;
        QVERIFY(others == before);
    }

    // Draw mode, the closing check box, the pause check box and the texts.
    void recordValues_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("connect");
        QTest::addColumn<bool>("pause");
        QTest::newRow("cantor demo, pause") << 0 << 3 << false << true;
        QTest::newRow("cross, closed") << 1 << 0 << true << false;
        QTest::newRow("gadget chaos game") << 2 << 1 << false << false;
        QTest::newRow("koch, closed") << 3 << 0 << true << true;
        QTest::newRow("l-system") << 4 << 2 << false << true;
    }
    void recordValues() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(bool, connect);
        QFETCH(bool, pause);
        selectType(type);
        selectMode(mode);
        f.form->ConnectLast_chk->setChecked(connect);
        f.form->Pause_chk->setChecked(pause);
        // One byte a character; what Latin-1 cannot hold becomes "?".
        f.form->Initiator_txt->setText(QStringLiteral("F+\u00e9+F"));
        f.form->Generator_txt->setText(QStringLiteral("F-F\u20ac"));
        const zv::LSystemParams lsystemBefore = f.model.LSystem;
        f.form->TransferControlsToModel();
        QCOMPARE(f.model.PauseAfterEachOp, pause);
        switch (type) {
        case zv::CantorSetType:
            QCOMPARE(int(f.model.CantorSet.DrawMode), mode);
            break;
        case zv::CrossType:
            QCOMPARE(int(f.model.Cross.DrawMode), mode);
            QCOMPARE(f.model.Cross.ConnectLast, connect);
            break;
        case zv::SierpinskyGadgetType:
            QCOMPARE(int(f.model.SierpinskyGadget.DrawMode), mode);
            break;
        case zv::KochCurveType:
            QCOMPARE(int(f.model.KochCurve.DrawMode), mode);
            QCOMPARE(f.model.KochCurve.ConnectLast, connect);
            break;
        default:
            QCOMPARE(f.model.LSystem.InitiatorString, std::string("F+\xe9+F"));
            QCOMPARE(f.model.LSystem.GeneratorString, std::string("F-F?"));
            break;
        }
        if (type != zv::LSystemType) {
            QVERIFY(f.model.LSystem == lsystemBefore);
        }
        f.form->Pause_chk->setChecked(false);
    }
};

QTEST_MAIN(tst_Transfer)
#include "tst_Transfer.moc"
