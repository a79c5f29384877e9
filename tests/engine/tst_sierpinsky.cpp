// Sierpinski gadget: the cut triangles of the recursive mode, the chaos game's
// pixels and refresh rhythm, the demo's jumps and colours, and the limits.
#include "DrawRun.h"
#include "RunFixture.h"

#include <QTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

using namespace zvtest;
using Corners = std::array<zv::FixPoint, 3>;
Q_DECLARE_METATYPE(Corners)

class SierpinskyTest : public QObject {
    Q_OBJECT

private slots:
    void recursiveTriangles_data();
    void recursiveTriangles();
    void chaosGameRefreshesEveryTenthPoint_data();
    void chaosGameRefreshesEveryTenthPoint();
    void demoJumps_data();
    void demoJumps();
    void limits_data();
    void limits();
};

namespace {

constexpr std::int32_t CanvasPen = 0xabcdef; // the canvas's own fore colour
const Corners standing{{{0, 200}, {200, 200}, {100, 0}}};

void setGadget(RunFixture& f, int mode, int depth, const Corners& corners = standing) {
    f.canvas.foreColor = CanvasPen;
    f.canvas.width = 300;
    f.canvas.height = 200;
    f.model.SierpinskyGadget = {std::uint8_t(mode), corners};
    f.model.CalcDepth = depth;
}

} // namespace

void SierpinskyTest::recursiveTriangles_data() {
    QTest::addColumn<Corners>("corners");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QStringList>("triangles");

    QTest::newRow("one cut") << standing << 1
                             << QStringList{"poly 0,200 200,200 100,0 #abcdef",
                                            "poly 100,200 150,100 50,100"};
    QTest::newRow("depth 0: the whole triangle only")
        << standing << 0 << QStringList{"poly 0,200 200,200 100,0 #abcdef"};
    QTest::newRow("two levels, corner by corner")
        << standing << 2
        << QStringList{"poly 0,200 200,200 100,0 #abcdef", "poly 100,200 150,100 50,100",
                       "poly 50,200 75,150 25,150", "poly 150,200 175,150 125,150",
                       "poly 100,100 125,50 75,50"};
    QTest::newRow("odd differences: halves to even")
        << Corners{{{0, 0}, {5, 0}, {0, 3}}} << 1
        << QStringList{"poly 0,0 5,0 0,3 #abcdef", "poly 2,0 2,2 0,2"};
    QTest::newRow("negative odd differences: halves to even")
        << Corners{{{0, 0}, {-5, 0}, {0, -3}}} << 1
        << QStringList{"poly 0,0 -5,0 0,-3 #abcdef", "poly -2,0 -2,-2 0,-2"};
    QTest::newRow("fractional fix points: halves to even")
        << Corners{{{0.5, 200.4}, {200.5, 199.5}, {101.5, -0.5}}} << 0
        << QStringList{"poly 0,200 200,200 102,0 #abcdef"};
}

void SierpinskyTest::recursiveTriangles() {
    QFETCH(Corners, corners);
    QFETCH(int, depth);
    QFETCH(QStringList, triangles);
    RunFixture f;
    setGadget(f, zv::RecursiveMode, depth, corners);

    f.draw(zv::SierpinskyGadgetType);

    QCOMPARE(drawn(f.canvas), triangles);
    const int cuts = int(triangles.size()) - 1;
    QCOMPARE(f.model.ElementsDrawn, cuts);
    QCOMPARE(f.model.RecursionsDone, cuts);
    QCOMPARE(f.canvas.count(CanvasOp::Refresh), cuts);
    QCOMPARE(f.host.yields, cuts);
}

void SierpinskyTest::chaosGameRefreshesEveryTenthPoint_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("rhythm"); // p = pixel, R = refresh, Y = yield
    QTest::newRow("25 points") << 25 << "ppppppppppRYppppppppppRYppppp";
    QTest::newRow("10 points") << 10 << "ppppppppppRY";
    QTest::newRow("9 points") << 9 << "ppppppppp";
    QTest::newRow("no points") << 0 << "";
}

void SierpinskyTest::chaosGameRefreshesEveryTenthPoint() {
    QFETCH(int, depth);
    QFETCH(QString, rhythm);
    RunFixture f;
    setGadget(f, zv::ChaosGameMode, depth);
    QString seen;
    std::size_t opsSeen = 0;
    auto collect = [&] {
        for (; opsSeen < f.canvas.ops.size(); ++opsSeen) {
            const CanvasOp& op = f.canvas.ops[opsSeen];
            if (op.kind == CanvasOp::Pixel) {
                seen += 'p';
                QVERIFY(op.points[0].x >= 0 && op.points[0].x <= 300);
                QVERIFY(op.points[0].y >= 0 && op.points[0].y <= 200);
                QCOMPARE(op.color, TestForeColor);
            } else if (op.kind == CanvasOp::Refresh) {
                seen += 'R';
            }
        }
    };
    f.host.onYield = [&](int) {
        collect();
        seen += 'Y';
    };

    f.draw(zv::SierpinskyGadgetType);

    collect();
    QCOMPARE(seen, rhythm);
    QCOMPARE(f.model.ElementsDrawn, depth);
}

void SierpinskyTest::demoJumps_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("foreColor"); // plays no part
    QTest::newRow("four jumps") << 4 << TestForeColor;
    QTest::newRow("3000 jumps, random colour") << 3000 << int(zv::RandomColor);
}

void SierpinskyTest::demoJumps() {
    QFETCH(int, depth);
    QFETCH(int, foreColor);
    RunFixture f;
    setGadget(f, zv::DemoMode, depth);
    f.model.ForeColor = foreColor;

    f.draw(zv::SierpinskyGadgetType);

    const auto circles = f.canvas.only(CanvasOp::Circle);
    const auto lines = f.canvas.only(CanvasOp::Line);
    QCOMPARE(int(circles.size()), depth + 1);
    QCOMPARE(int(lines.size()), depth);
    QCOMPARE(circles[0].color, zv::rgb(0, 255, 0));
    // Each jump goes halfway from the last point to one of the corners (0, 0),
    // (W / 2, H), (W, 0); the circles of radius 2 sit on the rounded points.
    const float corners[3][2] = {{0, 0}, {150, 200}, {300, 0}};
    std::array<int, 3> chosen{};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const CanvasOp &line = lines[i], &from = circles[i], &to = circles[i + 1];
        QCOMPARE(line.color, zv::rgb(192, 192, 192));
        QCOMPARE(to.color, zv::rgb(255, 0, 0));
        QCOMPARE(to.x2, 2.f);
        QCOMPARE(to.x1, std::nearbyint(line.x2));
        QCOMPARE(to.y1, std::nearbyint(line.y2));
        QVERIFY(std::abs(line.x1 - from.x1) <= 0.5f && std::abs(line.y1 - from.y1) <= 0.5f);
        int corner = -1;
        for (int c = 0; c < 3; ++c) {
            if (std::abs(2 * line.x2 - line.x1 - corners[c][0]) < 0.01f &&
                std::abs(2 * line.y2 - line.y1 - corners[c][1]) < 0.01f) {
                corner = c;
            }
        }
        QVERIFY2(corner >= 0, qPrintable(QString("jump %1 heads for no corner").arg(i)));
        ++chosen[std::size_t(corner)];
    }
    // Each corner a third of the time: chi-square, 2 degrees of freedom; 30 is
    // far beyond the 1e-6 quantile.
    double chiSquare = 0;
    for (int n : chosen) {
        chiSquare += (n - depth / 3.0) * (n - depth / 3.0) / (depth / 3.0);
    }
    QVERIFY2(depth < 3000 || chiSquare < 30, qPrintable(QString::number(chiSquare)));
    QCOMPARE(std::count(f.host.sleeps.begin(), f.host.sleeps.end(), 100), depth);
    QCOMPARE(f.canvas.count(CanvasOp::Refresh), depth);
    QCOMPARE(f.host.yields, depth);
    QCOMPARE(f.model.ElementsDrawn, depth);
}

void SierpinskyTest::limits_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<Corners>("corners");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("cancelAtYield"); // 0: runs to its end
    QTest::addColumn<qint64>("elements");
    QTest::addColumn<int>("drawnOps");

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // The first corner's branch alone reaches the deepest level after 4096 cuts.
    QTest::newRow("recursive, deepest depth, cancelled below the level limit")
        << 0 << standing << MaxLong << 5000 << 5000LL << 5001;
    QTest::newRow("recursive, fix points at +-1e300")
        << 0 << Corners{{{1e300, 1e300}, {-1e300, 1e300}, {0, -1e300}}} << 3 << 0 << 13LL << 14;
    QTest::newRow("recursive, fix points at infinity")
        << 0 << Corners{{{inf, 0}, {-inf, inf}, {0, -inf}}} << 3 << 0 << 13LL << 14;
    QTest::newRow("recursive, NaN fix point: counted, not drawn")
        << 0 << Corners{{{0, 0}, {nan, 10}, {5, 5}}} << 3 << 0 << 13LL << 0;
    // The point counter is wider than CalcDepth: every point asked for is played.
    QTest::newRow("chaos game, 32767 points") << 1 << standing << 32767 << 0 << 32767LL << 32767;
    QTest::newRow("chaos game, 40000 points") << 1 << standing << 40000 << 0 << 40000LL << 40000;
    QTest::newRow("chaos game, deepest depth, cancelled")
        << 1 << standing << MaxLong << 100 << 1000LL << 1000;
    QTest::newRow("chaos game, negative depth") << 1 << standing << -5 << 0 << 0LL << 0;
    QTest::newRow("demo, 32767 points, cancelled") << 3 << standing << 32767 << 50 << 50LL << 101;
    QTest::newRow("demo, deepest depth, cancelled") << 3 << standing << MaxLong << 3 << 3LL << 7;
}

void SierpinskyTest::limits() {
    QFETCH(int, mode);
    QFETCH(Corners, corners);
    QFETCH(int, depth);
    QFETCH(int, cancelAtYield);
    QFETCH(qint64, elements);
    QFETCH(int, drawnOps);
    RunFixture f;
    setGadget(f, mode, depth, corners);
    if (cancelAtYield > 0) {
        f.cancelAtYield(cancelAtYield);
    }

    f.draw(zv::SierpinskyGadgetType);

    QCOMPARE(f.model.ElementsDrawn, elements);
    QCOMPARE(drawingCount(f.canvas), drawnOps);
    QVERIFY(allCoordinatesFinite(f.canvas));
}

QTEST_APPLESS_MAIN(SierpinskyTest)
#include "tst_sierpinsky.moc"
