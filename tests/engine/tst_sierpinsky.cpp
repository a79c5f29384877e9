// Sierpinski gadget: the cut triangles of the recursive mode, the chaos game's
// pixels and refresh rhythm, the demo's jumps and colours, and the limits.
#include "DrawRun.h"
#include "RunFixture.h"

#include <QTest>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

using namespace zvtest;

namespace {

constexpr std::int32_t CanvasPen = 0x0A0B0C; // the canvas's own fore colour

struct Triangle {
    std::int32_t fill;
    std::vector<zv::IntPoint> corners;
    bool operator==(const Triangle&) const = default;
};
using Triangles = std::vector<Triangle>;
using Corners = std::array<zv::FixPoint, 3>;

Triangles trianglesOf(const RecordingCanvas& canvas) {
    Triangles out;
    for (const CanvasOp& op : canvas.only(CanvasOp::Polygon)) {
        out.push_back({op.color, op.points});
    }
    return out;
}

char* toString(const Triangles& triangles) {
    QByteArray text;
    for (const Triangle& t : triangles) {
        text += "#" + QByteArray::number(t.fill);
        for (const zv::IntPoint& p : t.corners) {
            text += " (" + QByteArray::number(p.x) + "," + QByteArray::number(p.y) + ")";
        }
        text += "; ";
    }
    return qstrdup(text.constData());
}

Triangle cut(std::vector<zv::IntPoint> corners) {
    return {TestForeColor, std::move(corners)};
}
Triangle whole(std::vector<zv::IntPoint> corners) {
    return {CanvasPen, std::move(corners)};
}

const Corners standing{{{0, 200}, {200, 200}, {100, 0}}};

void setUpGadget(RunFixture& f, std::uint8_t mode, int depth, const Corners& corners = standing) {
    f.canvas.foreColor = CanvasPen;
    f.canvas.width = 300;
    f.canvas.height = 200;
    f.model.SierpinskyGadget.DrawMode = mode;
    f.model.SierpinskyGadget.FixPoints = corners;
    f.model.CalcDepth = depth;
}

} // namespace

Q_DECLARE_METATYPE(Triangles)
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

void SierpinskyTest::recursiveTriangles_data() {
    QTest::addColumn<Corners>("corners");
    QTest::addColumn<int>("depth");
    QTest::addColumn<Triangles>("triangles");

    QTest::newRow("one cut") << standing << 1
                             << Triangles{whole({{0, 200}, {200, 200}, {100, 0}}),
                                          cut({{100, 200}, {150, 100}, {50, 100}})};
    QTest::newRow("depth 0: the whole triangle only")
        << standing << 0 << Triangles{whole({{0, 200}, {200, 200}, {100, 0}})};
    QTest::newRow("two levels, corner by corner")
        << standing << 2
        << Triangles{
               whole({{0, 200}, {200, 200}, {100, 0}}), cut({{100, 200}, {150, 100}, {50, 100}}),
               cut({{50, 200}, {75, 150}, {25, 150}}), cut({{150, 200}, {175, 150}, {125, 150}}),
               cut({{100, 100}, {125, 50}, {75, 50}})};
    QTest::newRow("odd differences: halves to even")
        << Corners{{{0, 0}, {5, 0}, {0, 3}}} << 1
        << Triangles{whole({{0, 0}, {5, 0}, {0, 3}}), cut({{2, 0}, {2, 2}, {0, 2}})};
    QTest::newRow("negative odd differences: halves to even")
        << Corners{{{0, 0}, {-5, 0}, {0, -3}}} << 1
        << Triangles{whole({{0, 0}, {-5, 0}, {0, -3}}), cut({{-2, 0}, {-2, -2}, {0, -2}})};
    QTest::newRow("fractional fix points: halves to even")
        << Corners{{{0.5, 200.4}, {200.5, 199.5}, {101.5, -0.5}}} << 0
        << Triangles{whole({{0, 200}, {200, 200}, {102, 0}})};
}

void SierpinskyTest::recursiveTriangles() {
    QFETCH(Corners, corners);
    QFETCH(int, depth);
    QFETCH(Triangles, triangles);
    RunFixture f;
    setUpGadget(f, zv::RecursiveMode, depth, corners);

    f.draw(zv::SierpinskyGadgetType);

    QCOMPARE(trianglesOf(f.canvas), triangles);
    const int cuts = int(triangles.size()) - 1;
    QCOMPARE(f.model.ElementsDrawn, cuts);
    QCOMPARE(f.model.RecursionsDone, cuts);
    QCOMPARE(f.canvas.count(CanvasOp::Refresh), cuts);
    QCOMPARE(f.host.yields, cuts);
}

void SierpinskyTest::chaosGameRefreshesEveryTenthPoint_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("rhythm"); // p = pixel, R = refresh and yield

    QTest::newRow("25 points") << 25 << "ppppppppppRppppppppppRppppp";
    QTest::newRow("10 points") << 10 << "ppppppppppR";
    QTest::newRow("9 points") << 9 << "ppppppppp";
    QTest::newRow("no points") << 0 << "";
}

void SierpinskyTest::chaosGameRefreshesEveryTenthPoint() {
    QFETCH(int, depth);
    QFETCH(QString, rhythm);
    RunFixture f;
    setUpGadget(f, zv::ChaosGameMode, depth);
    QString seen;
    f.host.onYield = [&](int) { seen += 'Y'; };

    f.draw(zv::SierpinskyGadgetType);

    for (const CanvasOp& op : f.canvas.ops) {
        if (op.kind == CanvasOp::Pixel) {
            seen += 'p';
            QCOMPARE(op.color, TestForeColor);
            QVERIFY(op.points[0].x >= 0 && op.points[0].x <= 300);
            QVERIFY(op.points[0].y >= 0 && op.points[0].y <= 200);
        } else if (op.kind == CanvasOp::Refresh) {
            seen += 'R';
        }
    }
    QCOMPARE(seen.remove('Y'), rhythm); // every refresh comes with one yield
    QCOMPARE(f.host.yields, int(rhythm.count('R')));
    QCOMPARE(f.model.ElementsDrawn, depth);
}

void SierpinskyTest::demoJumps_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("foreColor");

    QTest::newRow("four jumps, fixed colour") << 4 << TestForeColor;
    QTest::newRow("3000 jumps, random colour") << 3000 << int(zv::RandomColor);
}

void SierpinskyTest::demoJumps() {
    QFETCH(int, depth);
    QFETCH(int, foreColor);
    RunFixture f;
    setUpGadget(f, zv::DemoMode, depth);
    f.model.ForeColor = foreColor;
    const float w = f.canvas.width;
    const float h = f.canvas.height;

    f.draw(zv::SierpinskyGadgetType);

    const auto circles = f.canvas.only(CanvasOp::Circle);
    const auto lines = f.canvas.only(CanvasOp::Line);
    QCOMPARE(int(circles.size()), depth + 1);
    QCOMPARE(int(lines.size()), depth);
    QCOMPARE(circles[0].color, zv::rgb(0, 255, 0));
    // Each jump goes halfway from the last point to one of the three corners
    // (0, 0), (W / 2, H), (W, 0); the circles sit on the rounded points.
    const std::array<std::pair<float, float>, 3> corners{{{0, 0}, {w / 2, h}, {w, 0}}};
    std::array<int, 3> chosen{};
    for (int i = 0; i < depth; ++i) {
        const CanvasOp& line = lines[std::size_t(i)];
        const CanvasOp& from = circles[std::size_t(i)];
        const CanvasOp& to = circles[std::size_t(i) + 1];
        QCOMPARE(line.color, zv::rgb(192, 192, 192));
        QCOMPARE(to.color, zv::rgb(255, 0, 0));
        QCOMPARE(to.x2, 2.f);
        QVERIFY(std::abs(line.x1 - from.x1) <= 0.5f && std::abs(line.y1 - from.y1) <= 0.5f);
        QVERIFY(std::abs(line.x2 - to.x1) <= 0.5f && std::abs(line.y2 - to.y1) <= 0.5f);
        QCOMPARE(to.x1, std::nearbyint(to.x1));
        int corner = -1;
        for (int c = 0; c < 3; ++c) {
            if (std::abs(2 * line.x2 - line.x1 - corners[c].first) < 0.01f &&
                std::abs(2 * line.y2 - line.y1 - corners[c].second) < 0.01f) {
                corner = c;
            }
        }
        QVERIFY2(corner >= 0, qPrintable(QString("jump %1 heads for no corner").arg(i)));
        ++chosen[std::size_t(corner)];
    }
    if (depth >= 3000) {
        // Each corner a third of the time: chi-square with 2 degrees of freedom,
        // 30 is far beyond the 1e-6 quantile.
        double chiSquare = 0;
        for (int n : chosen) {
            chiSquare += (n - depth / 3.0) * (n - depth / 3.0) / (depth / 3.0);
        }
        QVERIFY2(chiSquare < 30, qPrintable(QString::number(chiSquare)));
    }
    int jumpSleeps = 0;
    for (int ms : f.host.sleeps) {
        jumpSleeps += ms == 100 ? 1 : 0;
    }
    QCOMPARE(jumpSleeps, depth);
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
    QTest::addColumn<int>("drawn"); // drawing operations

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
    QFETCH(int, drawn);
    RunFixture f;
    setUpGadget(f, std::uint8_t(mode), depth, corners);
    if (cancelAtYield > 0) {
        f.cancelAtYield(cancelAtYield);
    }

    f.draw(zv::SierpinskyGadgetType);

    QCOMPARE(f.model.ElementsDrawn, elements);
    QCOMPARE(drawingCount(f.canvas), drawn);
    QVERIFY(allCoordinatesFinite(f.canvas));
}

QTEST_APPLESS_MAIN(SierpinskyTest)
#include "tst_sierpinsky.moc"
