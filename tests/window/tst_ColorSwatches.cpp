// The colour swatches and the drawing area: the colour dialog is opened on the
// swatch's colour, its answer (or a cancel) reaches the swatch and the drawing
// area, and the swatch's name is printed in the complementary colour. The
// drawing area repaints only what changed.

#include "WindowTestSupport.h"

#include "CanvasColor.h"
#include "ColorSwatch.h"
#include "OutputPicture.h"

#include <QLabel>
#include <QPaintEvent>

using zvtest::DialogCall;
using zvtest::FormFixture;

namespace {

constexpr std::int32_t rgb(int r, int g, int b) {
    return r | (g << 8) | (b << 16);
}

// Counts the pixels of a widget's rendering that have exactly this colour.
int pixelsOf(QWidget* w, const QColor& c) {
    const QImage image = w->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixelColor(x, y).rgb() == c.rgb() ? 1 : 0;
        }
    }
    return n;
}

class PaintRecorder : public QObject {
public:
    QList<QRect> rects;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            rects.append(static_cast<QPaintEvent*>(e)->rect());
        }
        return false;
    }
};

} // namespace

class tst_ColorSwatches : public QObject {
    Q_OBJECT
    FormFixture f;

    zv::ColorSwatch* swatch(const QString& name) const { return f.find<zv::ColorSwatch>(name); }
    zv::OutputPicture* output() const { return f.find<zv::OutputPicture>("Output_pic"); }

private slots:
    void initTestCase() { QVERIFY(f.open()); }

    void complement_data() {
        QTest::addColumn<int>("colour");
        QTest::addColumn<int>("complement");
        QTest::newRow("white") << rgb(255, 255, 255) << rgb(0, 0, 0);
        QTest::newRow("red") << rgb(255, 0, 0) << rgb(0, 255, 255);
        QTest::newRow("mid grey") << rgb(128, 128, 128) << rgb(127, 127, 127);
        QTest::newRow("mixed") << rgb(10, 200, 77) << rgb(245, 55, 178);
        QTest::newRow("system colour bits ignored") << int(0x80000005) << rgb(250, 255, 255);
    }
    void complement() {
        QFETCH(int, colour);
        QFETCH(int, complement);
        QCOMPARE(zv::complementaryColor(colour), complement);
    }

    void captionsAtStart_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("colour");
        QTest::newRow("back") << "BackColor_pic"
                              << "BackColor" << rgb(255, 255, 255);
        QTest::newRow("fore") << "ForeColor_pic"
                              << "ForeColor" << rgb(0, 0, 0);
    }
    void captionsAtStart() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, colour);
        QCOMPARE(swatch(name)->color(), colour);
        QCOMPARE(swatch(name)->caption(), caption);
    }

    // A click opens the dialog on the swatch's colour; the answer, or the old
    // colour after a cancel, goes to the swatch and the drawing area, and the
    // area is cleared.
    void chooseColour_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("caption");
        QTest::newRow("red background")
            << "BackColor_pic" << false << rgb(255, 0, 0) << "BackColor";
        QTest::newRow("cancel background") << "BackColor_pic" << true << 0 << "BackColor";
        QTest::newRow("blue drawing colour")
            << "ForeColor_pic" << false << rgb(0, 0, 255) << "ForeColor";
        QTest::newRow("cancel drawing colour") << "ForeColor_pic" << true << 0 << "ForeColor";
    }
    void chooseColour() {
        QFETCH(QString, name);
        QFETCH(bool, cancel);
        QFETCH(int, chosen);
        QFETCH(QString, caption);
        zv::ColorSwatch* s = swatch(name);
        const std::int32_t before = s->color();
        zv::ImageCanvas& canvas = output()->canvas();
        canvas.Box(5, 5, 40, 40, rgb(0, 128, 0)); // a drawing that the choice erases
        f.dialogs.calls.clear();
        if (cancel) {
            f.dialogs.colorAnswers.enqueue(std::nullopt);
        } else {
            f.dialogs.colorAnswers.enqueue(chosen);
        }
        QTest::mouseClick(s, Qt::LeftButton, {}, s->rect().center());
        QCOMPARE(f.dialogs.calls.size(), 1);
        QCOMPARE(f.dialogs.calls[0].kind, DialogCall::Color);
        QCOMPARE(f.dialogs.calls[0].color, before);

        const std::int32_t expected = cancel ? before : chosen;
        QCOMPARE(s->color(), expected);
        QCOMPARE(s->caption(), caption);
        if (name == "BackColor_pic") {
            QCOMPARE(canvas.BackColor(), expected);
            QCOMPARE(f.form->BackColor(), expected);
        } else {
            QCOMPARE(canvas.ForeColor(), expected);
        }
        // Cleared to the background, the old drawing gone.
        const QColor back = zv::colorFromLong(canvas.BackColor());
        QCOMPARE(canvas.image().pixelColor(20, 20), back);
        QCOMPARE(canvas.image().pixelColor(canvas.width() - 1, canvas.height() - 1), back);

        // The caption is printed in the complementary colour on the new colour.
        const QColor text = zv::colorFromLong(zv::complementaryColor(expected));
        QVERIFY(pixelsOf(s, text) > 10);
        QVERIFY(pixelsOf(s, zv::colorFromLong(expected)) > pixelsOf(s, text));
    }

    // A new colour from a file clears the printed name until it is printed again.
    void newColourClearsCaption() {
        zv::ColorSwatch* s = swatch("BackColor_pic");
        s->setColor(rgb(255, 0, 0));
        QCOMPARE(s->caption(), QString());
        QCOMPARE(pixelsOf(s, QColor(0, 255, 255)), 0);
        f.form->PrintBackColorCaption();
        QVERIFY(pixelsOf(s, QColor(0, 255, 255)) > 10);
    }

    // Drawing one short line repaints a small rectangle around it, not the area.
    void partialRepaint() {
        zv::OutputPicture* out = output();
        QCoreApplication::processEvents();
        PaintRecorder recorder;
        out->installEventFilter(&recorder);
        out->canvas().Line(10, 10, 20, 12, rgb(0, 0, 0));
        out->canvas().Refresh();
        QTRY_VERIFY(!recorder.rects.isEmpty());
        out->removeEventFilter(&recorder);
        for (const QRect& r : recorder.rects) {
            QVERIFY2(r.width() < 30 && r.height() < 30,
                     qPrintable(QString("%1x%2").arg(r.width()).arg(r.height())));
            QVERIFY(r.contains(QPoint(15, 12)) || r.intersects(QRect(11, 11, 11, 3)));
        }
        // The line is on screen, one pixel in from the border (under the
        // markers, which the grab would show on top of it).
        for (QWidget* m : f.form->FixPoint_img) {
            m->hide();
        }
        const QImage shown = out->grab().toImage();
        for (QWidget* m : f.form->FixPoint_img) {
            m->show();
        }
        QCOMPARE(shown.pixelColor(11 + 5, 11 + 1).rgb() & 0xFFFFFF, 0u);
    }
};

QTEST_MAIN(tst_ColorSwatches)
#include "tst_ColorSwatches.moc"
