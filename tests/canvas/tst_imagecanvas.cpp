// ImageCanvas with coordinates far outside the picture: what lies inside is
// painted exactly, what lies outside leaves the picture alone, and no number
// reaches the rasteriser that it cannot hold.
#include "ImageCanvas.h"

#include <QTest>
#include <cstdint>
#include <limits>
#include <vector>

using namespace zv;

namespace {

constexpr int Width = 40;
constexpr int Height = 30;
constexpr std::int32_t Ink = 0x0000FF; // red, as a Long
constexpr std::int32_t MaxLong = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t MinLong = std::numeric_limits<std::int32_t>::min();

// How many pixels of each row of the picture carry the ink colour.
std::vector<int> inkedPixelsPerRow(const QImage& image) {
    std::vector<int> rows(static_cast<std::size_t>(image.height()), 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == qRgb(255, 0, 0)) {
                ++rows[static_cast<std::size_t>(y)];
            }
        }
    }
    return rows;
}

} // namespace

class ImageCanvasTest : public QObject {
    Q_OBJECT

private slots:
    void farCoordinates_data();
    void farCoordinates();
};

void ImageCanvasTest::farCoordinates_data() {
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("inkedRow");  // the one row painted across, -1: all rows, -2: none
    QTest::addColumn<int>("inkPerRow"); // pixels painted in each painted row

    QTest::newRow("horizontal line, ends far outside") << "line-across" << 5 << Width;
    QTest::newRow("line at the float limit") << "line-float-max" << 7 << Width;
    QTest::newRow("diagonal, ends far outside") << "line-diagonal" << -1 << 1;
    QTest::newRow("vertical line, ends far outside") << "line-vertical" << -1 << 1;
    QTest::newRow("line wholly outside") << "line-outside" << -2 << 0;
    QTest::newRow("box over everything") << "box-huge" << -1 << Width;
    QTest::newRow("box wholly outside") << "box-outside" << -2 << 0;
    QTest::newRow("triangle with corners at the Long limits") << "polygon-huge" << -1 << Width;
    QTest::newRow("triangle wholly outside") << "polygon-outside" << -2 << 0;
    QTest::newRow("pixels outside") << "pixels-outside" << -2 << 0;
    QTest::newRow("circle far outside") << "circle-outside" << -2 << 0;
}

void ImageCanvasTest::farCoordinates() {
    QFETCH(QString, operation);
    QFETCH(int, inkedRow);
    QFETCH(int, inkPerRow);
    ImageCanvas canvas(Width, Height);
    canvas.SetForeColor(Ink);
    canvas.SetFillColor(Ink);
    const float big = std::numeric_limits<float>::max();

    if (operation == u"line-across") {
        canvas.Line(-1e30f, 5, 1e30f, 5, Ink);
    } else if (operation == u"line-float-max") {
        canvas.Line(-big, 7, big, 7, Ink);
    } else if (operation == u"line-diagonal") {
        canvas.Line(-1e30f, -1e30f, 1e30f, 1e30f, Ink);
    } else if (operation == u"line-vertical") {
        canvas.Line(3, -1e30f, 3, 1e30f, Ink);
    } else if (operation == u"line-outside") {
        canvas.Line(-1e30f, -100, 1e30f, -100, Ink);
    } else if (operation == u"box-huge") {
        canvas.Box(-big, -big, big, big, Ink);
    } else if (operation == u"box-outside") {
        canvas.Box(1e30f, 1e30f, 2e30f, 2e30f, Ink);
    } else if (operation == u"polygon-huge") {
        const IntPoint corners[] = {{MinLong, MinLong}, {MaxLong, MinLong}, {0, MaxLong}};
        canvas.Polygon(corners);
    } else if (operation == u"polygon-outside") {
        const IntPoint corners[] = {{MaxLong, MaxLong}, {MaxLong - 5, MaxLong}, {MaxLong, 0}};
        canvas.Polygon(corners);
    } else if (operation == u"pixels-outside") {
        canvas.SetPixelV(-1, 0, Ink);
        canvas.SetPixelV(Width, 0, Ink);
        canvas.SetPixelV(0, Height, Ink);
        canvas.SetPixelV(MinLong, MaxLong, Ink);
    } else if (operation == u"circle-outside") {
        canvas.Circle(-1e30f, 1e30f, 2, Ink);
    }

    const std::vector<int> rows = inkedPixelsPerRow(canvas.image());
    for (int y = 0; y < Height; ++y) {
        const bool inked = inkedRow == -1 || inkedRow == y;
        QCOMPARE(rows[static_cast<std::size_t>(y)], inked ? inkPerRow : 0);
    }
}

QTEST_GUILESS_MAIN(ImageCanvasTest)
#include "tst_imagecanvas.moc"
