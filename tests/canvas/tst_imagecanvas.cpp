// ImageCanvas with coordinates far outside the picture: what lies inside is
// painted exactly, what lies outside leaves the picture alone, and no number
// reaches the rasteriser that it cannot hold.
#include "ImageCanvas.h"

#include <QTest>
#include <limits>

using namespace zv;

class ImageCanvasTest : public QObject {
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
};

QTEST_GUILESS_MAIN(ImageCanvasTest)
#include "tst_imagecanvas.moc"
