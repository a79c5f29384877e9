// SvgCanvas: one element per operation, corners and colours as an SVG viewer
// needs them, nothing for coordinates that are not finite.

#include "SvgCanvas.h"

#include <QBuffer>
#include <QXmlStreamReader>
#include <QtTest>
#include <cmath>
#include <limits>

using namespace zv;

namespace {

// "name attr=value ..." for every element below the root, attributes sorted.
QStringList elements(const QByteArray& svg) {
    QXmlStreamReader xml(svg);
    QStringList out;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() != QLatin1String("svg")) {
            QStringList attrs;
            for (const QXmlStreamAttribute& a : xml.attributes()) {
                attrs << a.name().toString() + u'=' + a.value().toString();
            }
            attrs.sort();
            out << xml.name().toString() + u' ' + attrs.join(u' ');
        }
    }
    if (xml.hasError()) {
        out << QStringLiteral("<error> ") + xml.errorString();
    }
    return out;
}

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float Inf = std::numeric_limits<float>::infinity();

} // namespace

class SvgCanvasTest : public QObject {
    Q_OBJECT

private slots:
    void operations_data();
    void operations();
    void documentHead();
};

void SvgCanvasTest::operations_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("clear") << "clear"
                           << QStringList{"rect fill=#00ff80 height=50 width=40 x=0 y=0"};
    QTest::newRow("line, red in the low byte")
        << "line" << QStringList{"line stroke=#ff0000 x1=1.5 x2=3 y1=2 y2=4.25"};
    QTest::newRow("line keeps the float as passed")
        << "line-fraction" << QStringList{"line stroke=#000000 x1=0.1 x2=-1e+30 y1=33.3 y2=7"};
    QTest::newRow("line with NaN") << "line-nan" << QStringList{};
    QTest::newRow("line with infinity") << "line-inf" << QStringList{};
    QTest::newRow("box from any two corners")
        << "box" << QStringList{"rect fill=#00ff00 height=18 stroke=#00ff00 width=5 x=5 y=2"};
    QTest::newRow("box with NaN") << "box-nan" << QStringList{};
    QTest::newRow("circle") << "circle"
                            << QStringList{"circle cx=5 cy=6 fill=none r=2 stroke=#0000ff"};
    QTest::newRow("pixel") << "pixel" << QStringList{"rect fill=#563412 height=1 width=1 x=3 y=-4"};
    QTest::newRow("polygon in fill and fore colour")
        << "polygon" << QStringList{"polygon fill=#ff0000 points=0,0 10,0 5,-8 stroke=#808080"};
    QTest::newRow("nothing after the end") << "after-end" << QStringList{};
}

void SvgCanvasTest::operations() {
    QFETCH(QString, operation);
    QFETCH(QStringList, expected);
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    {
        SvgCanvas canvas(&buffer, 40, 50);
        canvas.SetBackColor(0x80FF00);
        canvas.SetForeColor(0x808080);
        const IntPoint triangle[] = {{0, 0}, {10, 0}, {5, -8}};
        if (operation == u"clear") {
            canvas.Clear();
        } else if (operation == u"line") {
            canvas.Line(1.5f, 2, 3, 4.25f, 0x0000FF);
        } else if (operation == u"line-fraction") {
            canvas.Line(0.1f, 33.3f, -1e30f, 7, 0);
        } else if (operation == u"line-nan") {
            canvas.Line(1, NaN, 3, 4, 0);
        } else if (operation == u"line-inf") {
            canvas.Line(1, 2, -Inf, 4, 0);
        } else if (operation == u"box") {
            canvas.Box(10, 20, 5, 2, 0x00FF00);
        } else if (operation == u"box-nan") {
            canvas.Box(10, 20, NaN, 2, 0x00FF00);
        } else if (operation == u"circle") {
            canvas.Circle(5, 6, 2, 0xFF0000);
        } else if (operation == u"pixel") {
            canvas.SetPixelV(3, -4, 0x123456);
        } else if (operation == u"polygon") {
            canvas.SetFillColor(0x0000FF);
            canvas.Polygon(triangle);
        } else if (operation == u"after-end") {
            canvas.End();
            canvas.Line(1, 2, 3, 4, 0);
            canvas.Polygon(triangle);
            canvas.Clear();
        }
    }
    QCOMPARE(elements(buffer.data()), expected);
}

void SvgCanvasTest::documentHead() {
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    {
        SvgCanvas canvas(&buffer, 700, 600);
        QCOMPARE(canvas.ScaleWidth(), 700.0f);
        QCOMPARE(canvas.ScaleHeight(), 600.0f);
    }
    QXmlStreamReader xml(buffer.data());
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name(), QLatin1String("svg"));
    QCOMPARE(xml.namespaceUri(), QLatin1String("http://www.w3.org/2000/svg"));
    QCOMPARE(xml.attributes().value(QLatin1String("width")), QLatin1String("700"));
    QCOMPARE(xml.attributes().value(QLatin1String("viewBox")), QLatin1String("0 0 700 600"));
}

QTEST_GUILESS_MAIN(SvgCanvasTest)
#include "tst_svgcanvas.moc"
