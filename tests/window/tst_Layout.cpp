// The window's layout and its input controls: the size limits, the numeric
// fields (typing limits, repair on leaving, select-all), the colour swatches,
// and the keys that press buttons.

#include "WindowTestSupport.h"

#include "ColorSwatch.h"

#include <QSignalSpy>

using namespace zvtest;

namespace {

struct Typed {
    const char* tag;
    const char* name;
    const char* typed;
    const char* shown; // after the keys
    const char* left;  // after leaving the field
};

} // namespace

Q_DECLARE_METATYPE(Typed)

class tst_Layout : public QObject {
    Q_OBJECT
    FormFixture f;

    zv::ImageCanvas& canvas() const { return f.form->Output_pic->canvas(); }
    QLineEdit* field(const QString& name) const { return f.find<QLineEdit>(name); }

private slots:
    void initTestCase() { QVERIFY(f.open()); }

    // A window dragged beyond its limits snaps back to them: the drawing area
    // stays between 200 x 250 and 700 x 600 pixels, whether the bar is open.
    void sizeLimits_data() {
        QTest::addColumn<bool>("barOpen");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QSize>("area");
        QTest::newRow("too large, bar closed") << false << QSize(3000, 3000) << QSize(700, 600);
        QTest::newRow("too small, bar open") << true << QSize(50, 40) << QSize(200, 250);
    }
    void sizeLimits() {
        QFETCH(bool, barOpen);
        QFETCH(QSize, window);
        QFETCH(QSize, area);
        if ((f.form->Params_btn_Tag() == "1") != barOpen) {
            f.form->Params_btn->click();
        }
        f.form->resize(window);
        QCoreApplication::processEvents();
        QCOMPARE(QSize(f.form->Output_pic->innerWidth(), f.form->Output_pic->innerHeight()), area);
        QCOMPARE(field("AreaWidth_txt")->text() + "x" + field("AreaHeight_txt")->text(),
                 QString("%1x%2").arg(area.width()).arg(area.height()));
    }

    // Keys stop at a field's length limit and turn a period into a comma in
    // a fraction field; leaving the field repairs what it shows.
    void fields_data() {
        table<Typed>({{"width 6543", "AreaWidth_txt", "6543", "654", "654"},
                      {"width 199", "AreaWidth_txt", "199", "199", "200"},
                      {"height 601", "AreaHeight_txt", "601", "601", "600"},
                      {"height 249", "AreaHeight_txt", "249", "249", "250"},
                      {"width 701", "AreaWidth_txt", "701", "701", "700"},
                      {"depth -1", "CalcDepth_txt", "-1", "-1", "0"},
                      {"step letters", "StepHeight_txt", "high", "hi", "10"},
                      {"line letters", "LineLength_txt", "long", "long", "0,5"},
                      {"depth letters", "CalcDepth_txt", "deep", "deep", "4"},
                      {"elements 12", "ElementsCount_txt", "12", "1", "2"},
                      {"decrease letters", "DecreaseFactor_txt", "half", "half", "0,5"},
                      {"decrease -0,25", "DecreaseFactor_txt", "-0,25", "-0,25", "0"},
                      {"line 0.75", "LineLength_txt", "0.75", "0,75", "0,75"},
                      {"delta keeps the period", "Delta_txt", "1.5", "1.5", "1.5"},
                      {"delta nan", "Delta_txt", "nan", "nan", "50"}});
    }
    void fields() {
        QFETCH(Typed, row);
        QLineEdit* e = field(row.name);
        e->setFocus(Qt::TabFocusReason);
        e->clear();
        QTest::keyClicks(e, row.typed);
        QCOMPARE(e->text(), QString(row.shown));
        f.form->Pause_chk->setFocus(Qt::TabFocusReason);
        QCOMPARE(e->text(), QString(row.left));
    }

    // A paste stops at the limit too; a longer text the program sets is kept
    // whole, and the user may shorten it.
    void pasteAndProgramText() {
        QLineEdit* e = field("StepHeight_txt");
        e->clear();
        e->insert("123");
        QCOMPARE(e->text(), QString("12"));
        e->setText("1234");
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), QString("123"));
    }

    // Focus from a mouse press, even one that goes on to drag, or from a
    // click on a row's label selects the whole text: the next key replaces it.
    void selectAllOnFocus_data() { boolRows("label", "press and drag", "click on a row's label"); }
    void selectAllOnFocus() {
        QFETCH(bool, label);
        QLineEdit* e = label ? f.form->YPos_txt.at(0) : field("AreaHeight_txt");
        e->setText("432");
        field("AreaWidth_txt")->setFocus(Qt::TabFocusReason);
        const QPoint inside(e->width() / 2, e->height() / 2);
        if (label) {
            QTest::mouseClick(f.form->YPos_lbl.at(0), Qt::LeftButton);
        } else {
            QTest::mousePress(e, Qt::LeftButton, {}, inside);
            mouseOn(e, QEvent::MouseMove, inside - QPoint(8, 0), Qt::LeftButton);
            QTest::mouseRelease(e, Qt::LeftButton, {}, inside);
        }
        QCOMPARE(QApplication::focusWidget(), e);
        QTest::keyClicks(e, "3");
        QCOMPARE(e->text(), QString("3"));
    }

    // A swatch's click opens the dialog on its colour; the answer, or the old
    // colour after a cancel, reaches the swatch and the drawing area, which is
    // cleared.
    void chooseColour_data() { boolRows("cancel", "background", "drawing colour, cancelled"); }
    void chooseColour() {
        QFETCH(bool, cancel);
        auto* s = f.find<zv::ColorSwatch>(cancel ? "ForeColor_pic" : "BackColor_pic");
        const std::int32_t before = s->color();
        const std::int32_t expected = cancel ? before : 0x0000FF;
        canvas().Box(5, 5, 40, 40, 0x008000);
        f.dialogs.colorAnswers.enqueue(cancel ? std::nullopt : std::optional(expected));
        QTest::mouseClick(s, Qt::LeftButton);
        QCOMPARE(f.dialogs.calls.value(f.dialogs.calls.size() - 1).color, before);
        QCOMPARE(s->color(), expected);
        QCOMPARE(cancel ? canvas().ForeColor() : canvas().BackColor(), expected);
        QCOMPARE(f.pixelsOf(0x008000), 0);
    }

    // Enter presses the draw button (Return in a field: the real window's
    // test), the keypad's too, unless another button has the focus.
    void keypadEnter_data() { boolRows("onButton", "in a field", "on Params_btn"); }
    void keypadEnter() {
        QFETCH(bool, onButton);
        field("CalcDepth_txt")->setText("0"); // a short run
        QSignalSpy draw(f.form->Draw_btn, &QPushButton::clicked);
        QSignalSpy params(f.form->Params_btn, &QPushButton::clicked);
        f.find(onButton ? "Params_btn" : "AreaWidth_txt")->setFocus(Qt::TabFocusReason);
        f.key(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(draw.count(), onButton ? 0 : 1);
        QCOMPARE(params.count(), onButton ? 1 : 0);
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_Layout.moc"
