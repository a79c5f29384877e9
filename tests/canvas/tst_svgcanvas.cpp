// SvgCanvas: one element per operation, corners and colours as an SVG viewer
// needs them, nothing for coordinates that are not finite.

#include "SvgCanvas.h"

#include <QBuffer>
#include <QXmlStreamReader>
#include <QtTest>
#include <limits>

using namespace zv;

class SvgCanvasTest : public QObject {
    Q_OBJECT

private slots:
    // Each operation and the elements it leaves below the root, attributes sorted.
    void operations_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("expected");
        const std::pair<const char*, const char*> rows[] = {
            {"clear", "rect fill=#00ff80 height=50 width=40 x=0 y=0"},
            {"line", "line stroke=#ff0000 x1=1.5 x2=3 y1=2 y2=4.25"}, // red in the low byte
            {"line-nan", ""},
            {"line-inf", ""},
            {"box", "rect fill=#00ff00 height=18 stroke=#00ff00 width=5 x=5 y=2"},
            {"box-nan", ""},
            {"circle", "circle cx=5 cy=6 fill=none r=2 stroke=#0000ff"},
            {"pixel", "rect fill=#563412 height=1 width=1 x=3 y=-4"},
            {"polygon", "polygon fill=#ff0000 points=0,0 10,0 5,-8 stroke=#808080"}};
        for (const auto& [operation, expected] : rows) {
            QTest::newRow(operation)
                << QString::fromLatin1(operation) << QString::fromLatin1(expected);
        }
    }

    void operations() {
        QFETCH(QString, operation);
        QFETCH(QString, expected);
        QBuffer buffer;
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        {
            SvgCanvas canvas(&buffer, 40, 50);
            canvas.SetBackColor(0x80FF00);
            canvas.SetForeColor(0x808080);
            canvas.SetFillColor(0x0000FF);
            const IntPoint triangle[] = {{0, 0}, {10, 0}, {5, -8}};
            const float NaN = std::numeric_limits<float>::quiet_NaN();
            if (operation == u"clear") {
                canvas.Clear();
            } else if (operation.startsWith(u"line")) {
                canvas.Line(1.5f, operation == u"line-nan" ? NaN : 2,
                            operation == u"line-inf" ? -std::numeric_limits<float>::infinity() : 3,
                            4.25f, 0x0000FF);
            } else if (operation.startsWith(u"box")) {
                canvas.Box(10, 20, operation == u"box" ? 5 : NaN, 2, 0x00FF00);
            } else if (operation == u"circle") {
                canvas.Circle(5, 6, 2, 0xFF0000);
            } else if (operation == u"pixel") {
                canvas.SetPixelV(3, -4, 0x123456);
            } else {
                canvas.Polygon(triangle);
            }
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
        QCOMPARE(found.join(u'\n'), expected);
    }
};

QTEST_GUILESS_MAIN(SvgCanvasTest)
#include "tst_svgcanvas.moc"
