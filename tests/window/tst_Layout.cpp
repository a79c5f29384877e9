// The window's layout and its input controls: the size limits, the numeric
// fields (typing limits, repair on leaving, select-all), the colour swatches,
// and the keys that press buttons.

#include "../DataRows.h"
#include "WindowTestSupport.h"

#include "ColorSwatch.h"

#include <QSignalSpy>

using namespace zvtest;

class tst_Layout : public QObject {
    Q_OBJECT
    FormFixture f;

private slots:
    void initTestCase() { QVERIFY(f.open()); }
    void init() { f.dialogs.calls.clear(); }

    // A window dragged beyond its limits snaps back to them: the drawing area
    // stays between 200 x 250 and 700 x 600 pixels, whether the bar is open.
    void sizeLimits_data() {
        columns<bool, QSize, QSize>("barOpen", "window", "area");
        QTest::newRow("too large, bar closed") << false << QSize(3000, 3000) << QSize(700, 600);
        QTest::newRow("too small, bar open") << true << QSize(50, 40) << QSize(200, 250);
    }
    void sizeLimits() {
        QFETCH(bool, barOpen);
        QFETCH(QSize, window);
        QFETCH(QSize, area);
        f.showBar(barOpen);
        f.form->resize(window);
        QTRY_COMPARE(QSize(f.picture()->innerWidth(), f.picture()->innerHeight()), area);
        QCOMPARE(f.field("AreaWidth_txt")->text() + "x" + f.field("AreaHeight_txt")->text(),
                 QString("%1x%2").arg(area.width()).arg(area.height()));
    }

    // Keys stop at a field's length limit and turn a period into a comma in
    // a fraction field; leaving the field repairs what it shows.
    void fields_data() {
        // shown: after the keys; left: after leaving the field
        columns<QString, QString, QString, QString>("name", "typed", "shown", "left");
        // Per field: what is typed, what the keys leave, what leaving makes of it.
        const std::pair<const char*, std::vector<std::array<const char*, 3>>> cases[] = {
            {"AreaWidth_txt",
             {{"6543", "654", "654"}, {"199", "199", "200"}, {"701", "701", "700"}}},
            {"AreaHeight_txt", {{"601", "601", "600"}, {"249", "249", "250"}}},
            {"CalcDepth_txt", {{"-1", "-1", "0"}, {"deep", "deep", "4"}}},
            {"StepHeight_txt", {{"high", "hi", "10"}}},
            {"ElementsCount_txt", {{"12", "1", "2"}}},
            {"DecreaseFactor_txt", {{"half", "half", "0,5"}, {"-0,25", "-0,25", "0"}}},
            {"LineLength_txt", {{"long", "long", "0,5"}, {"0.75", "0,75", "0,75"}}},
            {"Delta_txt", {{"1.5", "1.5", "1.5"}, {"nan", "nan", "50"}}}};
        for (const auto& [name, typings] : cases) {
            for (const auto& [typed, shown, left] : typings) {
                QTest::addRow("%s %s", name, typed) << name << typed << shown << left;
            }
        }
    }
    void fields() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, left);
        QLineEdit* e = f.field(name);
        e->setFocus(Qt::TabFocusReason);
        e->clear();
        QTest::keyClicks(e, typed);
        QCOMPARE(e->text(), shown);
        f.box("Pause_chk")->setFocus(Qt::TabFocusReason);
        QCOMPARE(e->text(), left);
    }

    // A typing limit cuts only what the user types or pastes: a longer text
    // the program sets is kept whole, and the user may shorten it.
    void programTextKept() {
        QLineEdit* e = f.field("StepHeight_txt");
        e->setText("1234");
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), QString("123"));
    }

    // Focus from a mouse press, even one that goes on to drag, or from a
    // click on a row's label selects the whole text: the next key replaces it.
    void selectAllOnFocus_data() { boolRows("label", "press and drag", "click on a row's label"); }
    void selectAllOnFocus() {
        QFETCH(bool, label);
        QLineEdit* e = label ? f.at<QLineEdit>("YPos_txt", 0) : f.field("AreaHeight_txt");
        e->setText("432");
        f.field("AreaWidth_txt")->setFocus(Qt::TabFocusReason);
        const QPoint inside(e->width() / 2, e->height() / 2);
        if (label) {
            QTest::mouseClick(f.at("YPos_lbl", 0), Qt::LeftButton);
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
    // cleared. The caption is drawn centred in the complementary colour of the
    // swatch, pixel for pixel, so it stays readable on any colour.
    void swatches_data() {
        // Each swatch gets color from the dialog (then it is clicked once more and
        // the dialog cancelled, when cancel); its caption must be drawn in caption.
        columns<QString, int, int, bool>("swatch", "color", "caption", "cancel");
        row("red background, cyan caption", "BackColor_pic", 0x0000FF, 0xFFFF00, false);
        row("black drawing colour, white, cancelled", "ForeColor_pic", 0x000000, 0xFFFFFF, true);
        row("mid-grey, one step darker, cancelled", "BackColor_pic", 0x808080, 0x7F7F7F, true);
        row("three different channels", "ForeColor_pic", 0x123456, 0xEDCBA9, false);
    }
    void swatches() {
        QFETCH(QString, swatch);
        QFETCH(int, color);
        QFETCH(int, caption);
        QFETCH(bool, cancel);
        auto* s = f.find<zv::ColorSwatch>(swatch);
        const std::int32_t before = s->color();
        f.dialogs.colorAnswers.enqueue(color);
        for (int click = 0; click < (cancel ? 2 : 1); ++click) { // the second finds no answer
            f.canvas().Box(5, 5, 40, 40, 0x008000);
            QTest::mouseClick(s, Qt::LeftButton);
            QCOMPARE(f.pixelsOf(0x008000), 0);
        }
        QCOMPARE(f.dialogs.calls.last().color, cancel ? color : before);
        QCOMPARE(swatch == "ForeColor_pic" ? f.canvas().ForeColor() : f.canvas().BackColor(),
                 color);
        const QImage image = s->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect inside = s->contentsRect();
        QRect drawn; // the caption's pixels
        int others = 0;
        for (int y = inside.top(); y <= inside.bottom(); ++y) {
            for (int x = inside.left(); x <= inside.right(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                drawn |= pixel == rgbOf(caption) ? QRect(x, y, 1, 1) : QRect();
                others += pixel != rgbOf(caption) && pixel != rgbOf(color);
            }
        }
        QCOMPARE(others, 0);
        QVERIFY2(drawn.width() > inside.width() / 4, "no caption drawn");
        const QPoint off = drawn.center() - inside.center();
        QVERIFY2(std::abs(off.x()) <= 3 && std::abs(off.y()) <= 4,
                 qPrintable(QString("%1 %2").arg(off.x()).arg(off.y())));
    }

    // Enter presses the draw button (Return in a field: the real window's
    // test), the keypad's too, unless another button has the focus. In a field
    // it repairs the field first, as leaving it would, so the run uses what the
    // field then shows.
    void keypadEnter_data() { boolRows("onButton", "in a field", "on Params_btn"); }
    void keypadEnter() {
        QFETCH(bool, onButton);
        QLineEdit* depth = f.field("CalcDepth_txt");
        depth->setText("0");
        QSignalSpy draw(f.button("Draw_btn"), &QPushButton::clicked);
        QSignalSpy params(f.button("Params_btn"), &QPushButton::clicked);
        f.find(onButton ? "Params_btn" : "CalcDepth_txt")->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(QApplication::focusWidget(), "abc"); // a field's text is replaced
        f.key(Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(draw.count(), onButton ? 0 : 1);
        QCOMPARE(params.count(), onButton ? 1 : 0);
        QCOMPARE(depth->text(), QString(onButton ? "0" : "4"));
        QVERIFY(onButton || f.model.CalcDepth == 4);
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_Layout.moc"
