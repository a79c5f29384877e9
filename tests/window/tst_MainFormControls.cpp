// The window as designed: every control by name with its caption or text, the
// frames shown and hidden at start, the tool tips, the caption and the
// default button.

#include "WindowTestSupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>

using zvtest::FormFixture;

namespace {

// The text a user sees on a control, whatever its kind; null when the control
// is missing or has no text.
QString shownText(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        return b->text();
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        return l->text();
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        return g->title();
    }
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        return e->text();
    }
    return QString();
}

} // namespace

class tst_MainFormControls : public QObject {
    Q_OBJECT
    FormFixture f;

private slots:
    void initTestCase() { QVERIFY(f.open()); }

    void captionsAndTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const char* kind, const QString& text) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(kind) << text;
        };
        row("Draw_btn", "QPushButton", "&Draw Fractal");
        row("Params_btn", "QPushButton", "<<& ");
        row("Import_btn", "QPushButton", "&Import");
        row("Export_btn", "QPushButton", "&Export");
        row("CommonParameter_frm", "QGroupBox", "Common Parameter:");
        row("AreaWidth_lbl", "QLabel", "AreaWidth:");
        row("AreaWidth_txt", "QLineEdit", "200");
        row("AreaWidthDescription_lbl", "QLabel", "Pixel");
        row("AreaHeight_lbl", "QLabel", "AreaHeight:");
        row("AreaHeight_txt", "QLineEdit", "250");
        row("AreaHeightDescription_lbl", "QLabel", "Pixel");
        row("RandomForeColor_chk", "QCheckBox", "Random ForeColor");
        row("CalcDepth_lbl", "QLabel", "CalcDepth:");
        row("CalcDepth_txt", "QLineEdit", "10");
        row("Pause_chk", "QCheckBox", "Pause after each op.");
        row("SpecialParams_btn", "QPushButton", "> &Switch to Special >");
        row("DrawModes_frm", "QGroupBox", "Draw Modes:");
        row("FixPoints_frm", "QGroupBox", "FixPoints:");
        row("CantorSet_frm", "QGroupBox", "CantorSet Special:");
        row("Cross_frm", "QGroupBox", "Cross Special:");
        row("LSystem_frm", "QGroupBox", "LSystem Special:");
        row("AddFixPoint_btn", "QPushButton", "&Add new");
        row("RemoveFixPoint_btn", "QPushButton", "&Remove last");
        row("XPos_lbl", "QLabel", "X1:");
        // The rows show the shown type's points once the start-up refresh ran.
        const zv::FixPoint first = f.model.CantorSet.FixPoints[0];
        row("XPos_txt", "QLineEdit", QString::number(qRound(first.X)));
        row("YPos_lbl", "QLabel", "Y1:");
        row("YPos_txt", "QLineEdit", QString::number(qRound(first.Y)));
        row("ConnectLast_chk", "QCheckBox", "Connect last FixPoint with first");
        row("StepHeight_lbl", "QLabel", "StepHeight:");
        row("StepHeight_txt", "QLineEdit", "20");
        row("StepHeightDescription_lbl", "QLabel", "Pixel");
        row("ElementsCount_lbl", "QLabel", "ElementsCount:");
        row("ElementsCount_txt", "QLineEdit", "3");
        row("DecreaseFactor_lbl", "QLabel", "DecreaseFactor:");
        row("DecreaseFactor_txt", "QLineEdit", "0.5");
        row("Initiator_lbl", "QLabel", "Initiator::::::::::::::::::::::::::::");
        row("Initiator_txt", "QLineEdit", "F");
        row("Generator_lbl", "QLabel", "Generator::::::::::::::::::::::::");
        row("Generator_txt", "QLineEdit", "F[+F]F[-F]F");
        row("LineLength_lbl", "QLabel", "LineLength:");
        row("LineLength_txt", "QLineEdit", "0.5");
        row("Delta_lbl", "QLabel", "Angel Delta:");
        row("Delta_txt", "QLineEdit", "50");
    }
    void captionsAndTexts() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        auto* w = f.find<QWidget>(name);
        QVERIFY2(w != nullptr, qPrintable(name));
        QVERIFY2(w->inherits(kind.toLatin1().constData()), w->metaObject()->className());
        QCOMPARE(shownText(w), text);
    }

    void drawModeOptions_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "Recursive";
        QTest::newRow("1") << 1 << "Chaos Game";
        QTest::newRow("2") << 2 << "Turtle Graphics";
        QTest::newRow("3") << 3 << "Demo";
    }
    void drawModeOptions() {
        QFETCH(int, index);
        QFETCH(QString, text);
        const auto options = f.form->findChildren<QAbstractButton*>("DrawMode_opt");
        QCOMPARE(options.size(), 4);
        QAbstractButton* opt = f.form->DrawMode_opt.at(static_cast<std::size_t>(index));
        QCOMPARE(opt->objectName(), QString("DrawMode_opt"));
        QCOMPARE(opt->text(), text);
        // The refresh after start-up selects the shown type's stored mode.
        QCOMPARE(opt->isChecked(), index == f.model.CantorSet.DrawMode);
    }

    void framesAtStart_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("shown");
        QTest::newRow("FixPoints_frm") << "FixPoints_frm" << true;
        QTest::newRow("CantorSet_frm") << "CantorSet_frm" << false;
        QTest::newRow("Cross_frm") << "Cross_frm" << false;
        QTest::newRow("LSystem_frm") << "LSystem_frm" << false;
        QTest::newRow("GSIcon_pic") << "GSIcon_pic" << false;
        QTest::newRow("Output_pic") << "Output_pic" << true;
        QTest::newRow("StatusBar") << "StatusBar" << true;
    }
    void framesAtStart() {
        QFETCH(QString, name);
        QFETCH(bool, shown);
        auto* w = f.find<QWidget>(name);
        QVERIFY(w != nullptr);
        QCOMPARE(w->isVisible(), shown);
    }

    void toolTips_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tip");
        QTest::newRow("Params_btn") << "Params_btn"
                                    << "Close/Open ParameterBar";
        QTest::newRow("DrawModes_frm") << "DrawModes_frm"
                                       << "for detailed information open the Readme-File";
        QTest::newRow("LineLength_txt")
            << "LineLength_txt"
            << "[Pixel]   (the higher the Depth the lower this value should be)";
        QTest::newRow("Delta_txt")
            << "Delta_txt" << QString::fromUtf8("should lie somewhere between -360° and 360°");
    }
    void toolTips() {
        QFETCH(QString, name);
        QFETCH(QString, tip);
        QCOMPARE(f.find<QWidget>(name)->toolTip(), tip);
    }

    void centredFields_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("centred");
        for (const char* n :
             {"AreaWidth_txt", "AreaHeight_txt", "XPos_txt", "YPos_txt", "StepHeight_txt",
              "ElementsCount_txt", "DecreaseFactor_txt", "LineLength_txt", "Delta_txt"}) {
            QTest::newRow(n) << n << true;
        }
        for (const char* n : {"CalcDepth_txt", "Initiator_txt", "Generator_txt"}) {
            QTest::newRow(n) << n << false;
        }
    }
    void centredFields() {
        QFETCH(QString, name);
        QFETCH(bool, centred);
        QCOMPARE(bool(f.find<QLineEdit>(name)->alignment() & Qt::AlignHCenter), centred);
    }

    void captionAndTypeList() {
        QCOMPARE(f.form->windowTitle(), QString("Zorvandine v1.0b"));
        auto* types = f.find<QComboBox>("FractalType_cmb");
        const QStringList expected = {"Cantor Set", "Cross", "Sierpinsky's Gadget", "Koch Curve",
                                      "L-System"};
        QStringList shown;
        for (int i = 0; i < types->count(); ++i) {
            shown << types->itemText(i);
        }
        QCOMPARE(shown, expected);
        QCOMPARE(types->currentIndex(), 0);
        QVERIFY(f.form->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(f.form->windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    // The Tab key walks the controls in the designed order (hidden frames and
    // labels take no focus).
    void tabOrder_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        const char* chain[] = {
            "FractalType_cmb", "Draw_btn",         "Params_btn",          "Import_btn",
            "Export_btn",      "Output_pic",       "AreaWidth_txt",       "AreaHeight_txt",
            "BackColor_pic",   "ForeColor_pic",    "RandomForeColor_chk", "CalcDepth_txt",
            "Pause_chk",       "SpecialParams_btn"};
        for (std::size_t i = 1; i < std::size(chain); ++i) {
            QTest::addRow("%s", chain[i - 1]) << chain[i - 1] << chain[i];
        }
        // The fix point rows' order: tst_FixPoints.
    }
    void tabOrder() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        f.find<QWidget>(from)->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        f.key(Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != nullptr);
        QCOMPARE(QApplication::focusWidget()->objectName(), to);
    }

    // Enter presses Draw_btn from a field; from another button it presses that
    // button; Alt+D presses Draw_btn wherever the focus is.
    void enterAndAccessKey_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("drawClicks");
        QTest::addColumn<int>("paramsClicks");
        QTest::newRow("Enter in CalcDepth_txt")
            << "CalcDepth_txt" << int(Qt::Key_Return) << 0 << 1 << 0;
        QTest::newRow("keypad Enter in AreaWidth_txt")
            << "AreaWidth_txt" << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 1 << 0;
        QTest::newRow("Enter on a check box") << "Pause_chk" << int(Qt::Key_Return) << 0 << 1 << 0;
        QTest::newRow("Enter on Params_btn") << "Params_btn" << int(Qt::Key_Return) << 0 << 0 << 1;
        QTest::newRow("Alt+D in a field")
            << "CalcDepth_txt" << int(Qt::Key_D) << int(Qt::AltModifier) << 1 << 0;
    }
    void enterAndAccessKey() {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(int, drawClicks);
        QFETCH(int, paramsClicks);
        // Each press draws; depth 0 keeps the run short.
        f.find<QLineEdit>("CalcDepth_txt")->setText("0");
        QSignalSpy draw(f.find<QPushButton>("Draw_btn"), &QPushButton::clicked);
        auto* params = f.find<QPushButton>("Params_btn");
        QSignalSpy paramsSpy(params, &QPushButton::clicked);
        f.find<QWidget>(focus)->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        f.key(Qt::Key(key), Qt::KeyboardModifiers(mods));
        // An access key presses its button with a short animation.
        QTRY_COMPARE(draw.count(), drawClicks);
        QCOMPARE(paramsSpy.count(), paramsClicks);
        if (paramsClicks % 2 == 1) {
            params->click(); // open the bar again for the next rows
        }
    }
};

QTEST_MAIN(tst_MainFormControls)
#include "tst_MainFormControls.moc"
