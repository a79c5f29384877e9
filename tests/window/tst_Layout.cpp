// The window's layout and its input controls: the size limits, the parameter
// bar, the numeric fields (repair, typing limits, select-all, angle hint), the
// colour swatches, the Tab order, and the keys that press buttons.

#include "WindowTestSupport.h"

#include "CanvasColor.h"
#include "ColorSwatch.h"

#include <QGroupBox>
#include <QLocale>
#include <QSignalSpy>

using namespace zvtest;

namespace {

struct Limit {
    const char* tag;
    bool barOpen;
    QSize window;
    QSize area; // 0: that side not at a limit
};
struct Typed {
    const char* tag;
    const char* locale;
    const char* name;
    const char* typed;
    const char* result; // on leaving the field, or after the keys and after a paste
    const char* pasted = nullptr;
};
struct Press {
    const char* tag;
    const char* focus;
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    int drawClicks;
};

// Pixels of a widget's rendering that have exactly this colour.
int shownPixels(QWidget* w, std::int32_t colour) {
    const QImage image = w->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixel(x, y) == zv::colorFromLong(colour).rgb() ? 1 : 0;
        }
    }
    return n;
}

} // namespace

Q_DECLARE_METATYPE(Limit)
Q_DECLARE_METATYPE(Typed)
Q_DECLARE_METATYPE(Press)

class tst_Layout : public QObject {
    Q_OBJECT
    FormFixture f;

    zv::OutputPicture* output() const { return f.form->Output_pic; }
    QLineEdit* field(const QString& name) const { return f.find<QLineEdit>(name); }
    void setBar(bool open) {
        if ((f.form->Params_btn_Tag() == "1") != open) {
            f.form->Params_btn->click();
        }
    }

private slots:
    void initTestCase() { QVERIFY(f.open()); }
    void cleanup() { QLocale::setDefault(QLocale("en_US")); }

    // A window dragged beyond a limit snaps back to it; the drawing area stays
    // between 200 x 250 and 700 x 600 pixels, the bar's frames level with it.
    void sizeLimits_data() {
        table<Limit>({{"too narrow, bar open", true, {50, 400}, {200, 0}},
                      {"too wide, bar closed", false, {3000, 400}, {700, 0}},
                      {"too low, bar closed", false, {600, 40}, {0, 250}},
                      {"too high, bar open", true, {600, 3000}, {0, 600}}});
    }
    void sizeLimits() {
        QFETCH(Limit, row);
        setBar(row.barOpen);
        f.form->resize(row.window);
        QCoreApplication::processEvents();
        const QSize inner(output()->innerWidth(), output()->innerHeight());
        if (row.area.width() > 0) {
            QCOMPARE(inner.width(), row.area.width());
        } else {
            QCOMPARE(inner.height(), row.area.height());
        }
        QCOMPARE(
            QSize(f.form->AreaWidth_txt->text().toInt(), f.form->AreaHeight_txt->text().toInt()),
            inner);
        QCOMPARE(output()->width(), inner.width() + 2);
        auto* common = f.find<QGroupBox>("CommonParameter_frm");
        QCOMPARE(common->geometry().bottom(), output()->geometry().bottom());
        QVERIFY(qAbs(f.form->FixPoints_frm->geometry().bottom() - common->geometry().bottom()) <=
                1);
        QVERIFY(common->x() > output()->geometry().right());
        QCOMPARE(common->x() < f.form->width(), row.barOpen); // closed: beyond the right edge
    }

    // A field's text is repaired when the user leaves it.
    void repairOnLeaving_data() {
        table<Typed>({{"width empty", "en", "AreaWidth_txt", "", "200"},
                      {"width 199", "en", "AreaWidth_txt", "199", "200"},
                      {"width 700", "en", "AreaWidth_txt", "700", "700"},
                      {"height 601", "en", "AreaHeight_txt", "601", "600"},
                      {"depth letters", "en", "CalcDepth_txt", "deep", "4"},
                      {"depth -3", "en", "CalcDepth_txt", "-3", "0"},
                      {"depth 2.5 stays as typed", "en", "CalcDepth_txt", "2.5", "2.5"},
                      {"step letters", "en", "StepHeight_txt", "ab", "10"},
                      {"step -5", "en", "StepHeight_txt", "-5", "-5"},
                      {"elements 1", "en", "ElementsCount_txt", "1", "2"},
                      {"decrease letters", "en", "DecreaseFactor_txt", "half", "0,5"},
                      {"decrease -0,25 de", "de_DE", "DecreaseFactor_txt", "-0,25", "0"},
                      {"line letters", "en", "LineLength_txt", "long", "0,5"},
                      {"line 0.75 de", "de_DE", "LineLength_txt", "0.75", "0,75"},
                      {"delta letters", "en", "Delta_txt", "wide", "50"},
                      {"delta nan", "en", "Delta_txt", "nan", "50"}});
    }
    void repairOnLeaving() {
        QFETCH(Typed, row);
        QLocale::setDefault(QLocale(row.locale));
        f.typeAndLeave(field(row.name), row.typed);
        QCOMPARE(field(row.name)->text(), QString(row.result));
    }

    // Neither keys nor a paste go beyond a field's limit; a period typed into a
    // fraction field becomes a comma. A text the program sets is kept whole.
    void typing_data() {
        table<Typed>({{"area width", "", "AreaWidth_txt", "6543", "654", "654"},
                      {"step height", "", "StepHeight_txt", "123", "12", "12"},
                      {"elements count", "", "ElementsCount_txt", "78", "7", "7"},
                      {"x of fix point", "", "XPos_txt", "12345", "1234", "1234"},
                      {"depth: no limit", "", "CalcDepth_txt", "1234567", "1234567", "1234567"},
                      {"line length", "", "LineLength_txt", "0.75", "0,75", "0.75"},
                      {"delta keeps the period", "", "Delta_txt", "1.5", "1.5", "1.5"}});
    }
    void typing() {
        QFETCH(Typed, row);
        QLineEdit* e = field(row.name);
        e->setFocus(Qt::TabFocusReason);
        e->clear();
        QTest::keyClicks(e, row.typed);
        QCOMPARE(e->text(), QString(row.result));
        e->clear();
        e->insert(row.typed);
        QCOMPARE(e->text(), QString(row.pasted));
        e->setText(row.typed);
        QTest::keyClick(e, Qt::Key_Backspace);
        QCOMPARE(e->text(), QString(row.typed).chopped(1));
    }

    // However the focus comes, the whole text is selected: the next key
    // replaces it, and leaving the field repairs what was typed.
    void selectAllOnFocus_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("tab key") << "tab";
        QTest::newRow("mouse press and drag") << "drag";
        QTest::newRow("click on a row's label") << "label";
    }
    void selectAllOnFocus() {
        QFETCH(QString, how);
        QLineEdit* e = how == "label" ? f.form->YPos_txt.at(0) : field("AreaHeight_txt");
        e->setText("432");
        field("AreaWidth_txt")->setFocus(Qt::TabFocusReason);
        const QPoint inside(e->width() / 2, e->height() / 2);
        if (how == "tab") {
            f.key(Qt::Key_Tab);
        } else if (how == "drag") {
            QTest::mousePress(e, Qt::LeftButton, {}, inside);
            mouseOn(e, QEvent::MouseMove, inside - QPoint(8, 0), Qt::LeftButton);
            QTest::mouseRelease(e, Qt::LeftButton, {}, inside);
        } else {
            QTest::mouseClick(f.form->YPos_lbl.at(0), Qt::LeftButton);
            // The field's own next click then places the cursor, as in any field.
            QVERIFY(e->hasSelectedText());
            QTest::mouseClick(e, Qt::LeftButton, {}, inside);
            QVERIFY(!e->hasSelectedText());
            e->selectAll();
        }
        QCOMPARE(QApplication::focusWidget(), e);
        QTest::keyClicks(e, "3");
        QCOMPARE(e->text(), QString("3"));
        f.form->Pause_chk->setFocus(Qt::TabFocusReason);
        QCOMPARE(e->text(), how == "label" ? QString("3") : QString("250"));
    }

    // A swatch's click opens the dialog on its colour; the answer, or the old
    // colour after a cancel, reaches the swatch and the drawing area, which is
    // cleared. The name is printed in the complementary colour.
    void chooseColour_data() { boolRows("cancel", "background", "drawing colour, cancelled"); }
    void chooseColour() {
        QFETCH(bool, cancel);
        const QString name = cancel ? "ForeColor_pic" : "BackColor_pic";
        QCOMPARE(zv::complementaryColor(0x808080), 0x7F7F7F);
        QCOMPARE(zv::complementaryColor(0x0000FF), 0xFFFF00);
        QCOMPARE(zv::complementaryColor(int(0x80000005)), 0xFFFFFA); // system colour bits ignored
        auto* s = f.find<zv::ColorSwatch>(name);
        const std::int32_t before = s->color();
        const std::int32_t expected = cancel ? before : 0x0000FF;
        output()->canvas().Box(5, 5, 40, 40, 0x008000);
        f.dialogs.calls.clear();
        f.dialogs.colorAnswers.enqueue(cancel ? std::nullopt : std::optional(expected));
        QTest::mouseClick(s, Qt::LeftButton);
        QCOMPARE(f.dialogs.calls.value(0).color, before);
        QCOMPARE(s->color(), expected);
        QCOMPARE(name == "BackColor_pic" ? f.form->BackColor() : output()->canvas().ForeColor(),
                 expected);
        QCOMPARE(f.pixelsOf(output()->canvas().BackColor(), QRect(5, 5, 36, 36)), 36 * 36);
        const int text = shownPixels(s, zv::complementaryColor(expected));
        QVERIFY(text > 10 && shownPixels(s, expected) > text);
        f.dialogs.colorAnswers.enqueue(before);
        QTest::mouseClick(s, Qt::LeftButton);
    }

    // Enter presses the draw button (in a field: the real window's test), also
    // the keypad's; on another button Enter presses that one; Alt+D draws.
    void enterAndAccessKey_data() {
        table<Press>(
            {{"keypad Enter in a field", "AreaWidth_txt", Qt::Key_Enter, Qt::KeypadModifier, 1},
             {"Enter on a check box", "Pause_chk", Qt::Key_Return, {}, 1},
             {"Enter on Params_btn", "Params_btn", Qt::Key_Return, {}, 0},
             {"Alt+D", "CalcDepth_txt", Qt::Key_D, Qt::AltModifier, 1}});
    }
    void enterAndAccessKey() {
        QFETCH(Press, row);
        field("CalcDepth_txt")->setText("0"); // each press draws; keep it short
        QSignalSpy draw(f.form->Draw_btn, &QPushButton::clicked);
        QSignalSpy params(f.form->Params_btn, &QPushButton::clicked);
        f.find(row.focus)->setFocus(Qt::TabFocusReason);
        f.key(row.key, row.mods);
        QTRY_COMPARE(draw.count(), row.drawClicks); // an access key animates the press
        QCOMPARE(params.count(), 1 - row.drawClicks);
        setBar(true);
    }
};

QTEST_MAIN(tst_Layout)
#include "tst_Layout.moc"
