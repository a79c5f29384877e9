// The two canvases. ImageCanvas with coordinates far outside the picture: what
// lies inside is painted exactly, what lies outside leaves the picture alone,
// and no number reaches the rasteriser that it cannot hold. SvgCanvas: one
// element per operation, corners and colours as an SVG viewer needs them,
// nothing for coordinates that are not finite.
#include "ImageCanvas.h"
#include "SvgCanvas.h"

#include <QPainter>
#include <QTest>
#include <QBuffer>
#include <QXmlStreamReader>
#include <QtTest>
#include <limits>
#include <random>

using namespace zv;

class CanvasTest : public QObject {
    Q_OBJECT

private slots:
    void farCoordinates_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("inkedRow");  // the one row painted, -1: all rows, -2: none
        QTest::addColumn<int>("inkPerRow"); // pixels painted in each painted row
        const std::tuple<const char*, int, int> rows[] = {
            {"horizontal line, ends far away", 5, 40}, {"line at the float limit", 7, 40},
            {"diagonal, ends far away", -1, 1},        {"line wholly outside", -2, 0},
            {"box over everything", -1, 40},           {"box wholly outside", -2, 0},
            {"triangle at the Long limits", -1, 40},   {"triangle wholly outside", -2, 0}};
        for (const auto& [operation, inkedRow, inkPerRow] : rows) {
            QTest::newRow(operation) << QString::fromLatin1(operation) << inkedRow << inkPerRow;
        }
    }

    void farCoordinates() {
        QFETCH(QString, operation);
        QFETCH(int, inkedRow);
        QFETCH(int, inkPerRow);
        constexpr std::int32_t Ink = 0x0000FF; // red, as a Long
        constexpr std::int32_t Max = std::numeric_limits<std::int32_t>::max();
        constexpr std::int32_t Min = std::numeric_limits<std::int32_t>::min();
        const float big = std::numeric_limits<float>::max();
        const bool outside = operation.endsWith(u"outside");
        ImageCanvas canvas(40, 30);
        canvas.SetFillColor(Ink);
        canvas.SetForeColor(Ink);
        if (operation.startsWith(u"line at")) {
            canvas.Line(-big, 7, big, 7, Ink);
        } else if (operation.startsWith(u"diagonal")) {
            canvas.Line(-1e30f, -1e30f, 1e30f, 1e30f, Ink);
        } else if (operation.contains(u"line")) {
            canvas.Line(-1e30f, outside ? -100 : 5, 1e30f, outside ? -100 : 5, Ink);
        } else if (operation.startsWith(u"box")) {
            outside ? canvas.Box(1e30f, 1e30f, 2e30f, 2e30f, Ink)
                    : canvas.Box(-big, -big, big, big, Ink);
        } else {
            const IntPoint huge[] = {{Min, Min}, {Max, Min}, {0, Max}};
            const IntPoint away[] = {{Max, Max}, {Max - 5, Max}, {Max, 0}};
            canvas.Polygon(outside ? away : huge);
        }
        for (int y = 0; y < 30; ++y) {
            int inked = 0;
            for (int x = 0; x < 40; ++x) {
                inked += canvas.image().pixel(x, y) == qRgb(255, 0, 0);
            }
            QCOMPARE(inked, inkedRow == -1 || inkedRow == y ? inkPerRow : 0);
        }
    }

    // Lines are written straight into the picture; their pixels must be those
    // of QPainter's aliased 1-pixel pen with square caps, given the same
    // clipped ends, or saved pictures would change.
    void thinLinesAsQPainter_data() {
        QTest::addColumn<double>("spread"); // ends within this distance of the picture
        QTest::addColumn<int>("grid");      // ends on multiples of 1/grid; 0: any float
        QTest::addColumn<bool>("shortLines");
        QTest::newRow("around the picture") << 30.0 << 0 << false;
        QTest::newRow("whole pixels") << 30.0 << 1 << false;
        QTest::newRow("half pixels") << 30.0 << 2 << false;
        QTest::newRow("1/64 pixels") << 30.0 << 64 << false;
        QTest::newRow("short, up to 2 pixels") << 10.0 << 0 << true;
        QTest::newRow("short on 1/128 pixels") << 10.0 << 128 << true;
        QTest::newRow("far outside") << 1e30 << 0 << false;
        QTest::newRow("far outside, whole pixels") << 1e9 << 1 << false;
    }

    void thinLinesAsQPainter() {
        QFETCH(double, spread);
        QFETCH(int, grid);
        QFETCH(bool, shortLines);
        constexpr int W = 45, H = 31;
        std::mt19937_64 random(20261207);
        std::uniform_real_distribution<double> coordinate(-spread, spread + W);
        std::uniform_real_distribution<double> offset(-2, 2);
        auto onGrid = [grid](double v) { return grid == 0 ? v : std::round(v * grid) / grid; };
        ImageCanvas canvas(W, H);
        for (int i = 0; i < 1000; ++i) {
            float e[4];
            for (int k = 0; k < 4; ++k) {
                const double v = shortLines && k >= 2 ? e[k - 2] + offset(random) : coordinate(random);
                e[k] = static_cast<float>(onGrid(v));
            }
            if (i % 10 == 0) { // a line of no length, by the left edge
                e[0] = e[2] = static_cast<float>(onGrid(offset(random)));
                e[3] = e[1];
            } else if (i % 10 == 1) { // QPointF holds these ends equal
                e[0] = 0;
                e[2] = 1e-13f;
                e[3] = e[1];
            } else if (i % 10 == 2) { // axis-parallel
                e[2 + i / 10 % 2] = e[i / 10 % 2];
            }
            canvas.Clear();
            canvas.Line(e[0], e[1], e[2], e[3], 0x0000FF);

            QImage expected(W, H, QImage::Format_RGB32);
            expected.fill(Qt::white);
            double x1 = e[0], y1 = e[1], x2 = e[2], y2 = e[3];
            if (ClipSegment(x1, y1, x2, y2, W, H)) {
                QPainter painter(&expected);
                painter.setPen(QPen(Qt::red, 1, Qt::SolidLine, Qt::SquareCap));
                painter.drawLine(QLineF(x1, y1, x2, y2));
            }
            if (canvas.image() != expected) {
                QFAIL(qPrintable(QStringLiteral("line %1: (%2, %3) to (%4, %5)")
                                     .arg(i)
                                     .arg(double(e[0]), 0, 'g', 9)
                                     .arg(double(e[1]), 0, 'g', 9)
                                     .arg(double(e[2]), 0, 'g', 9)
                                     .arg(double(e[3]), 0, 'g', 9)));
            }
        }
    }

    // One element per operation in drawing order, attributes sorted; a line
    // with an infinite end leaves none.
    void svgOperations() {
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        {
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
            const IntPoint triangle[] = {{0, 0}, {10, 0}, {5, -8}};
            canvas.Polygon(triangle);
        }
        QXmlStreamReader xml(buffer.data());
        QStringList found;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() != u"svg") {
                QStringList attributes;
                for (const QXmlStreamAttribute& a : xml.attributes()) {
                    attributes << a.name().toString() + u'=' + a.value().toString();
                }
                attributes.sort();
                found << xml.name().toString() + u' ' + attributes.join(u' ');
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
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
