// The two canvases. ImageCanvas with coordinates far outside the picture: what
// lies inside is painted exactly, what lies outside leaves the picture alone,
// and no number reaches the rasteriser that it cannot hold. SvgCanvas: one
// element per operation, corners and colours as an SVG viewer needs them,
// nothing for coordinates that are not finite.
#include "ImageCanvas.h"
#include "SvgCanvas.h"

#include <QPainter>
#include <QtTest>
#include <algorithm>
#include <array>
#include <limits>
#include <random>

using namespace zv;

constexpr std::int32_t Ink = 0x0000FF; // red, as a Long

// Ink per row, top to bottom, of one operation on a fresh 40 x 30 picture.
static QList<int> inkPerRow(auto draw) {
    ImageCanvas canvas(40, 30);
    canvas.SetFillColor(Ink);
    draw(canvas);
    QList<int> ink(30);
    for (int y = 0; y < 30; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(canvas.image().constScanLine(y));
        ink[y] = int(std::count(line, line + 40, qRgb(255, 0, 0)));
    }
    return ink;
}

class CanvasTest : public QObject {
    Q_OBJECT

private slots:
    void farCoordinates() {
        const float big = std::numeric_limits<float>::max();
        constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max(), Min = -Max - 1;
        const QList<int> all(30, 40), one(30, 1);
        QCOMPARE(inkPerRow([&](ImageCanvas& c) { c.Line(7, -big, 7, big, Ink); }), one);
        QCOMPARE(inkPerRow([](ImageCanvas& c) { c.Line(-1e30f, -1e30f, 1e30f, 1e30f, Ink); }), one);
        QCOMPARE(inkPerRow([&](ImageCanvas& c) { c.Box(-big, -big, big, big, Ink); }), all);
        const IntPoint huge[] = {{Min, Min}, {Max, Min}, {0, Max}};
        QCOMPARE(inkPerRow([&](ImageCanvas& c) { c.Polygon(huge); }), all);
    }

    // Lines are written straight into the picture; their pixels must be those
    // of QPainter's aliased 1-pixel pen with square caps, given the same
    // clipped ends, or saved pictures would change. Ends within spread of the
    // picture, on multiples of 1/grid (0: any float); every other line short,
    // its second end within 2 pixels of the first.
    void thinLinesAsQPainter() {
        constexpr int W = 45, H = 31;
        for (const auto& [spread, grid] :
             {std::pair{30.0, 0}, {30.0, 2}, {30.0, 64}, {30.0, 128}, {1e9, 1}}) {
            std::mt19937_64 random(20261207);
            std::uniform_real_distribution<double> at(-spread, spread + W), near(-2, 2);
            auto snap = [grid](double v) { return float(grid ? std::round(v * grid) / grid : v); };
            ImageCanvas canvas(W, H);
            for (int i = 0; i < 1000; ++i) {
                std::array<float, 4> e;
                for (int k = 0; k < 4; ++k) {
                    e[k] = snap(i % 2 == 1 && k >= 2 ? e[k - 2] + near(random) : at(random));
                }
                if (i % 10 == 0) { // a line of no length, by the left edge
                    const float x = snap(near(random));
                    e = {x, e[1], x, e[1]};
                } else if (i % 10 == 1) { // QPointF holds these ends equal
                    e = {0, e[1], 1e-13f, e[1]};
                } else if (i % 10 == 2) { // axis-parallel
                    e[2 + i / 10 % 2] = e[i / 10 % 2];
                }
                canvas.Clear();
                canvas.Line(e[0], e[1], e[2], e[3], Ink);
                QImage expected(W, H, QImage::Format_RGB32);
                expected.fill(Qt::white);
                double x1 = e[0], y1 = e[1], x2 = e[2], y2 = e[3];
                if (ClipSegment(x1, y1, x2, y2, W, H)) {
                    QPainter painter(&expected);
                    painter.setPen(QPen(Qt::red, 1, Qt::SolidLine, Qt::SquareCap));
                    painter.drawLine(QLineF(x1, y1, x2, y2));
                }
                QVERIFY2(canvas.image() == expected, qPrintable(QString::number(i)));
            }
        }
    }

    // One element per operation in drawing order, attributes sorted; a line
    // with an infinite end leaves none.
    void svgOperations() {
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        SvgCanvas canvas(&buffer, 40, 50);
        canvas.SetBackColor(0x80FF00);
        canvas.SetForeColor(0x808080);
        canvas.SetFillColor(0x0000FF);
        canvas.Clear();
        canvas.Line(1.5f, 2, 3, 4.25f, 0x0000FF);
        canvas.Line(1.5f, 2, -std::numeric_limits<float>::infinity(), 4.25f, 0x0000FF);
        canvas.Box(10, 20, 5, 2, 0x00FF00);
        canvas.Circle(5, 6, 2, 0xFF0000);
        canvas.SetPixelV(3, -4, 0x123456);
        canvas.Polygon(std::array<IntPoint, 3>{{{0, 0}, {10, 0}, {5, -8}}});
        canvas.End();
        QXmlStreamReader xml(buffer.data());
        QVERIFY(xml.readNextStartElement()); // the svg element
        QStringList found;
        while (xml.readNextStartElement()) {
            QStringList attributes;
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                attributes << a.name().toString() + u'=' + a.value().toString();
            }
            attributes.sort();
            found << xml.name().toString() + u' ' + attributes.join(u' ');
            xml.skipCurrentElement();
        }
        QCOMPARE(found,
                 (QStringList{"rect fill=#00ff80 height=50 width=40 x=0 y=0",
                              "line stroke=#ff0000 x1=1.5 x2=3 y1=2 y2=4.25", // red in the low byte
                              "rect fill=#00ff00 height=18 stroke=#00ff00 width=5 x=5 y=2",
                              "circle cx=5 cy=6 fill=none r=2 stroke=#0000ff",
                              "rect fill=#563412 height=1 width=1 x=3 y=-4",
                              "polygon fill=#ff0000 points=0,0 10,0 5,-8 stroke=#808080"}));
    }
};

QTEST_GUILESS_MAIN(CanvasTest)
#include "tst_canvas.moc"
