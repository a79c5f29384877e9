// The Koch curve, recursive and by the turtle: geometry, counters and limits.

#include "Algorithms.h"
#include "DrawRun.h"
#include "EngineTestSupport.h"

#include <QLineF>
#include <QList>
#include <QPointF>
#include <QtTest>

#include <cmath>
#include <cstdint>
#include <limits>

using zvtest::CanvasOp;

namespace {

struct KochRun {
    zv::ParameterModel model;
    zvtest::RecordingCanvas canvas;
    zvtest::ScriptedHost host{model};
    zv::RandomSource random{3};
    zv::DrawRun run{model, canvas, host, random};

    KochRun(const QList<QPointF>& points, bool connectLast, std::int32_t depth) {
        model.GlobalState = zv::WorkingMode;
        model.Canvas = &canvas;
        model.ForeColor = 0x00FF00;
        model.CalcDepth = depth;
        model.KochCurve.FixPoints.clear();
        for (const QPointF& p : points) {
            model.KochCurve.FixPoints.push_back({p.x(), p.y()});
        }
        model.KochCurve.ConnectLast = connectLast;
    }

    void cancelAtYield(int n) {
        host.onYield = [this, n](int yield) {
            if (yield == n) {
                model.GlobalState = zv::EditMode;
            }
        };
    }

    QList<QLineF> lines() const {
        QList<QLineF> out;
        for (const CanvasOp& op : canvas.only(CanvasOp::Line)) {
            out.append(QLineF(op.x1, op.y1, op.x2, op.y2));
        }
        return out;
    }
};

bool near(const QPointF& a, const QPointF& b, double tolerance = 1e-3) {
    return std::abs(a.x() - b.x()) < tolerance && std::abs(a.y() - b.y()) < tolerance;
}

bool near(const QLineF& a, const QLineF& b) {
    return near(a.p1(), b.p1()) && near(a.p2(), b.p2());
}

// Strictly inside the triangle abc, whatever its orientation.
bool inside(const QPointF& p, const QPointF& a, const QPointF& b, const QPointF& c) {
    const auto side = [](const QPointF& u, const QPointF& v, const QPointF& w) {
        return (v.x() - u.x()) * (w.y() - u.y()) - (v.y() - u.y()) * (w.x() - u.x());
    };
    const double s1 = side(a, b, p);
    const double s2 = side(b, c, p);
    const double s3 = side(c, a, p);
    return (s1 > 0 && s2 > 0 && s3 > 0) || (s1 < 0 && s2 < 0 && s3 < 0);
}

constexpr std::int32_t maxDepth = std::numeric_limits<std::int32_t>::max();

} // namespace

class KochCurveTest : public QObject {
    Q_OBJECT

private slots:
    void recursiveLines_data();
    void recursiveLines();
    void recursiveCounters_data();
    void recursiveCounters();
    void bumpSide_data();
    void bumpSide();
    void recursiveCancel_data();
    void recursiveCancel();
    void recursiveOddFixPoints_data();
    void recursiveOddFixPoints();
    void turtleSnowflake_data();
    void turtleSnowflake();
    void turtleBeyondSevenShrinks();
    void turtleLimits_data();
    void turtleLimits();
};

void KochCurveTest::recursiveLines_data() {
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<bool>("connectLast");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QList<QLineF>>("expected");

    QTest::newRow("D=1: base line kept under the bump")
        << QList<QPointF>{{0, 100}, {300, 100}} << false << 1
        << QList<QLineF>{QLineF(0, 100, 300, 100), QLineF(100, 100, 150, 14.5),
                         QLineF(150, 14.5, 200, 100)};
    QTest::newRow("D=0: the polyline only")
        << QList<QPointF>{{0, 0}, {10, 0}, {10, 10}} << false << 0
        << QList<QLineF>{QLineF(0, 0, 10, 0), QLineF(10, 0, 10, 10)};
    QTest::newRow("two points closed: both ways, bumps on both sides")
        << QList<QPointF>{{0, 100}, {300, 100}} << true << 1
        << QList<QLineF>{QLineF(0, 100, 300, 100),     QLineF(100, 100, 150, 14.5),
                         QLineF(150, 14.5, 200, 100),  QLineF(300, 100, 0, 100),
                         QLineF(200, 100, 150, 185.5), QLineF(150, 185.5, 100, 100)};
    QTest::newRow("D=2: second level in the order A-P, P-Q, Q-R, R-B")
        << QList<QPointF>{{0, 0}, {0, 900}} << false << 2
        << QList<QLineF>{QLineF(0, 0, 0, 900),
                         // level 1: apex to the left of downward = +x on the screen
                         QLineF(0, 300, 256.5, 450), QLineF(256.5, 450, 0, 600),
                         // on A-P
                         QLineF(0, 100, 85.5, 150), QLineF(85.5, 150, 0, 200),
                         // on P-Q
                         QLineF(85.5, 350, 171, 301.8975), QLineF(171, 301.8975, 171, 400),
                         // on Q-R
                         QLineF(171, 500, 171, 598.1025), QLineF(171, 598.1025, 85.5, 550),
                         // on R-B
                         QLineF(0, 700, 85.5, 750), QLineF(85.5, 750, 0, 800)};
}

void KochCurveTest::recursiveLines() {
    QFETCH(QList<QPointF>, points);
    QFETCH(bool, connectLast);
    QFETCH(int, depth);
    QFETCH(QList<QLineF>, expected);

    KochRun r(points, connectLast, depth);
    zv::DrawKochCurve(r.run);
    const QList<QLineF> lines = r.lines();
    QCOMPARE(lines.size(), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!near(lines[i], expected[i])) {
            QFAIL(qPrintable(QStringLiteral("line %1: (%2,%3)-(%4,%5)")
                                 .arg(i)
                                 .arg(lines[i].x1())
                                 .arg(lines[i].y1())
                                 .arg(lines[i].x2())
                                 .arg(lines[i].y2())));
        }
    }
    for (const CanvasOp& op : r.canvas.only(CanvasOp::Line)) {
        QCOMPARE(op.color, 0x00FF00);
    }
}

// Per segment a run draws the segment and 2 (4^D - 1) / 3 bump lines in
// (4^D - 1) / 3 recursion steps, yielding once per bump.
void KochCurveTest::recursiveCounters_data() {
    QTest::addColumn<int>("pointCount");
    QTest::addColumn<bool>("connectLast");
    QTest::addColumn<int>("depth");

    QTest::newRow("one segment, D=1") << 2 << false << 1;
    QTest::newRow("one segment, D=4") << 2 << false << 4;
    QTest::newRow("three segments, D=3") << 4 << false << 3;
    QTest::newRow("closed square, D=2") << 4 << true << 2;
    QTest::newRow("eight points closed, D=0") << 8 << true << 0;
    QTest::newRow("negative depth") << 3 << false << -7;
}

void KochCurveTest::recursiveCounters() {
    QFETCH(int, pointCount);
    QFETCH(bool, connectLast);
    QFETCH(int, depth);

    QList<QPointF> points;
    for (int i = 0; i < pointCount; ++i) {
        points.append(QPointF(10 * i, (i % 2) * 30));
    }
    KochRun r(points, connectLast, depth);
    zv::DrawKochCurve(r.run);

    const qint64 segments = pointCount - 1 + (connectLast ? 1 : 0);
    const qint64 bumps = depth > 0 ? ((qint64{1} << (2 * depth)) - 1) / 3 : 0;
    QCOMPARE(r.model.ElementsDrawn, segments * (1 + 2 * bumps));
    QCOMPARE(r.model.RecursionsDone, segments * bumps);
    QCOMPARE(qint64(r.canvas.count(CanvasOp::Line)), segments * (1 + 2 * bumps));
    QCOMPARE(qint64(r.host.yields), segments * bumps);
}

// The apex lies to the left of the segment's direction on the screen, so a
// polygon running clockwise (y down) gets its bumps outside.
void KochCurveTest::bumpSide_data() {
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<bool>("outside");

    QTest::newRow("clockwise triangle") << QList<QPointF>{{0, 0}, {100, 0}, {50, 100}} << true;
    QTest::newRow("anticlockwise triangle") << QList<QPointF>{{50, 100}, {100, 0}, {0, 0}} << false;
}

void KochCurveTest::bumpSide() {
    QFETCH(QList<QPointF>, points);
    QFETCH(bool, outside);

    KochRun r(points, true, 1);
    zv::DrawKochCurve(r.run);
    const QList<QLineF> lines = r.lines();
    QCOMPARE(lines.size(), 9);
    for (int segment = 0; segment < 3; ++segment) {
        const QPointF apex = lines[3 * segment + 1].p2();
        QCOMPARE(inside(apex, points[0], points[1], points[2]), !outside);
    }
}

// A cancel during a bump unwinds the whole recursion: nothing more is drawn,
// not even the next base segment. Depths up to 2^31 - 1 start and stop alike.
void KochCurveTest::recursiveCancel_data() {
    QTest::addColumn<int>("pointCount");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("cancelAt");

    QTest::newRow("first bump, D=3") << 2 << 3 << 1;
    QTest::newRow("inside the first segment of three") << 4 << 3 << 2;
    QTest::newRow("D = 2^31 - 1") << 2 << maxDepth << 300;
    QTest::newRow("D = 2^31 - 1, closed polygon") << 5 << maxDepth << 1000;
}

void KochCurveTest::recursiveCancel() {
    QFETCH(int, pointCount);
    QFETCH(int, depth);
    QFETCH(int, cancelAt);

    QList<QPointF> points;
    for (int i = 0; i < pointCount; ++i) {
        points.append(QPointF(50 * i, 100 + (i % 2) * 50));
    }
    KochRun r(points, true, depth);
    r.cancelAtYield(cancelAt);
    zv::DrawKochCurve(r.run);
    QCOMPARE(r.host.yields, cancelAt);
    QCOMPARE(r.model.ElementsDrawn, 1 + 2 * cancelAt);
    QCOMPARE(r.model.RecursionsDone, cancelAt);
}

// Fix points from a file: huge, infinite or NaN coordinates and lists shorter
// than a segment. Nothing may reach a raw float cast; the counters keep their
// closed form (1 + 2 * 5 elements for D=2), only unplaceable lines are skipped.
void KochCurveTest::recursiveOddFixPoints_data() {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::addColumn<QList<QPointF>>("points");
    QTest::addColumn<bool>("connectLast");
    QTest::addColumn<int>("elements");

    QTest::newRow("1e300") << QList<QPointF>{{1e300, -1e300}, {-1e300, 1e300}} << false << 11;
    QTest::newRow("beyond float") << QList<QPointF>{{0, 0}, {1e39, 1}} << false << 11;
    QTest::newRow("infinite") << QList<QPointF>{{-inf, 0}, {inf, 5}} << false << 11;
    QTest::newRow("NaN") << QList<QPointF>{{nan, 0}, {10, 10}} << false << 11;
    QTest::newRow("no points") << QList<QPointF>{} << true << 0;
    QTest::newRow("one point") << QList<QPointF>{{10, 10}} << false << 0;
    // Closing a one-point figure is a segment of length 0 with its bumps.
    QTest::newRow("one point, closed") << QList<QPointF>{{10, 10}} << true << 11;
}

void KochCurveTest::recursiveOddFixPoints() {
    QFETCH(QList<QPointF>, points);
    QFETCH(bool, connectLast);
    QFETCH(int, elements);

    KochRun r(points, connectLast, 2);
    zv::DrawKochCurve(r.run);
    QCOMPARE(r.model.ElementsDrawn, elements);
    for (const QLineF& l : r.lines()) {
        QVERIFY(std::isfinite(l.x1()) && std::isfinite(l.y1()));
        QVERIFY(std::isfinite(l.x2()) && std::isfinite(l.y2()));
    }
    // Koch by turtle reads the same list.
    KochRun t(points, false, 2);
    zv::DrawKochCurveByTurtle(t.run);
    for (const QLineF& l : t.lines()) {
        QVERIFY(std::isfinite(l.x1()) && std::isfinite(l.y1()));
        QVERIFY(std::isfinite(l.x2()) && std::isfinite(l.y2()));
    }
}

// The snowflake from A = (0, 200) to B = (270, 200): steps of 270 / 3^D, the
// first side ends at B, the second at the third corner above the segment, the
// third back at A; the first bump points down, out of the triangle.
void KochCurveTest::turtleSnowflake_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("elements");

    QTest::newRow("D=0") << 0 << 7;
    QTest::newRow("D=1") << 1 << 7 + 7 * 3;
    QTest::newRow("D=3") << 3 << 448;
}

void KochCurveTest::turtleSnowflake() {
    QFETCH(int, depth);
    QFETCH(int, elements);

    KochRun r({{0, 200}, {270, 200}, {999, 999}}, true, depth);
    zv::DrawKochCurveByTurtle(r.run);
    QCOMPARE(r.model.ElementsDrawn, elements);
    QCOMPARE(r.model.RecursionsDone, 0);

    const QList<QLineF> lines = r.lines();
    const int perSide = 1 << (2 * depth);
    QCOMPARE(lines.size(), 3 * perSide);
    const double step = 270 / std::pow(3.0, depth);
    for (const QLineF& l : lines) {
        QVERIFY(std::abs(l.length() - step) < 1e-3);
    }
    QVERIFY(near(lines.first().p1(), {0, 200}));
    QVERIFY(near(lines[perSide - 1].p2(), {270, 200}));
    QVERIFY(near(lines[2 * perSide - 1].p2(), {135, 200 - 270 * std::sqrt(3.0) / 2}));
    QVERIFY(near(lines.last().p2(), {0, 200}));
    if (depth > 0) {
        QVERIFY(lines[1].y2() > lines[1].y1());
    }
}

// Past 7 passes the turtle keeps the shape of 7 while the step shrinks with the
// full depth: D=9 on a side of 270 is D=7 on a side of 30.
void KochCurveTest::turtleBeyondSevenShrinks() {
    KochRun nine({{0, 200}, {270, 200}}, false, 9);
    zv::DrawKochCurveByTurtle(nine.run);
    KochRun seven({{0, 200}, {30, 200}}, false, 7);
    zv::DrawKochCurveByTurtle(seven.run);

    QCOMPARE(nine.model.ElementsDrawn, seven.model.ElementsDrawn);
    const QList<QLineF> a = nine.lines();
    const QList<QLineF> b = seven.lines();
    QCOMPARE(a.size(), 3 * (1 << 14));
    QCOMPARE(a.size(), b.size());
    for (qsizetype i = 0; i < a.size(); ++i) {
        QVERIFY(near(a[i], b[i]));
    }
    QVERIFY(near(a[(1 << 14) - 1].p2(), {30, 200}));
}

// Depths far beyond 16 bits and negative ones: the run starts, stays finite
// and stops at the next element when cancelled.
void KochCurveTest::turtleLimits_data() {
    QTest::addColumn<int>("depth");

    QTest::newRow("32767") << 32767;
    QTest::newRow("32768") << 32768;
    QTest::newRow("2^31 - 1") << maxDepth;
    QTest::newRow("-2^31") << std::numeric_limits<std::int32_t>::min();
}

void KochCurveTest::turtleLimits() {
    QFETCH(int, depth);

    KochRun r({{0, 200}, {270, 200}}, false, depth);
    r.cancelAtYield(500);
    zv::DrawKochCurveByTurtle(r.run);
    QCOMPARE(r.host.yields, depth > 0 ? 500 : 7);
    for (const QLineF& l : r.lines()) {
        QVERIFY(std::isfinite(l.x1()) && std::isfinite(l.y1()));
        QVERIFY(std::isfinite(l.x2()) && std::isfinite(l.y2()));
    }
}

QTEST_APPLESS_MAIN(KochCurveTest)
#include "tst_kochcurve.moc"
