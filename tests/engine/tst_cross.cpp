// Cross: the polyline, the bars across each segment and each half-arm, their
// order and counters, and what happens at the limits of the inputs.
#include "DrawRun.h"
#include "RunFixture.h"

#include <QTest>
#include <limits>
#include <vector>

using namespace zvtest;
using Points = std::vector<zv::FixPoint>;
Q_DECLARE_METATYPE(Points)

class CrossTest : public QObject {
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void limits_data();
    void limits();
};

namespace {

const Points horizontal{{0, 100}, {200, 100}};

void setCross(RunFixture& f, const Points& points, bool connectLast, double g, int depth) {
    f.model.Cross = {zv::RecursiveMode, points, connectLast, g};
    f.model.CalcDepth = depth;
}

void addColumns() {
    QTest::addColumn<Points>("points");
    QTest::addColumn<bool>("connectLast");
    QTest::addColumn<double>("g");
    QTest::addColumn<int>("depth");
}

} // namespace

void CrossTest::lines_data() {
    addColumns();
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("recursions");

    QTest::newRow("one level") << horizontal << false << 0.5 << 1
                               << QStringList{"line 0,100 200,100", "line 100,50 100,150"} << 1;
    QTest::newRow("two levels: half-segments, then half-bars")
        << horizontal << false << 0.5 << 2
        << QStringList{"line 0,100 200,100",  "line 100,50 100,150",   "line 50,125 50,75",
                       "line 150,75 150,125", "line 112.5,75 87.5,75", "line 87.5,125 112.5,125"}
        << 5;
    QTest::newRow("45 degrees: the bar lies on its segment")
        << Points{{0, 0}, {100, 100}} << false << 0.5 << 1
        << QStringList{"line 0,0 100,100", "line 25,25 75,75"} << 1;
    QTest::newRow("g 1: bar twice the segment")
        << horizontal << false << 1.0 << 1
        << QStringList{"line 0,100 200,100", "line 100,-100 100,300"} << 1;
    QTest::newRow("g 0: bar of length 0, still drawn")
        << horizontal << false << 0.0 << 1
        << QStringList{"line 0,100 200,100", "line 100,100 100,100"} << 1;
    QTest::newRow("negative g as its square")
        << horizontal << false << -0.5 << 1
        << QStringList{"line 0,100 200,100", "line 100,50 100,150"} << 1;
    QTest::newRow("closed two-point figure: the segment back")
        << horizontal << true << 0.5 << 1
        << QStringList{"line 0,100 200,100", "line 100,50 100,150", "line 200,100 0,100",
                       "line 100,150 100,50"}
        << 2;
    QTest::newRow("open triangle") << Points{{0, 0}, {100, 0}, {100, 100}} << false << 0.5 << 0
                                   << QStringList{"line 0,0 100,0", "line 100,0 100,100"} << 0;
    QTest::newRow("closed triangle")
        << Points{{0, 0}, {100, 0}, {100, 100}} << true << 0.5 << 0
        << QStringList{"line 0,0 100,0", "line 100,0 100,100", "line 100,100 0,0"} << 0;
}

void CrossTest::lines() {
    QFETCH(Points, points);
    QFETCH(bool, connectLast);
    QFETCH(double, g);
    QFETCH(int, depth);
    QFETCH(QStringList, lines);
    QFETCH(int, recursions);
    RunFixture f;
    setCross(f, points, connectLast, g, depth);

    f.draw(zv::CrossType);

    QCOMPARE(drawn(f.canvas), lines);
    QCOMPARE(f.model.ElementsDrawn, lines.size());
    QCOMPARE(f.model.RecursionsDone, recursions);
    QCOMPARE(f.host.yields, recursions); // the base lines do not yield
}

void CrossTest::limits_data() {
    addColumns();
    QTest::addColumn<int>("cancelAtYield"); // 0: runs to its end
    QTest::addColumn<qint64>("elements");
    QTest::addColumn<int>("drawnLines"); // -1: not checked

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Per segment: the segment and (4^D - 1) / 3 bars. The first branch alone
    // reaches the deepest level after 4096 bars.
    QTest::newRow("deepest depth, cancelled below the level limit")
        << horizontal << false << 0.5 << MaxLong << 5000 << 5001LL << 5001;
    QTest::newRow("deepest depth, g 0, cancelled")
        << horizontal << false << 0.0 << MaxLong << 400 << 401LL << 401;
    QTest::newRow("g 1e9") << horizontal << false << 1e9 << 3 << 0 << 22LL << 22;
    QTest::newRow("g infinite") << horizontal << false << inf << 2 << 0 << 6LL << -1;
    QTest::newRow("g NaN: bars counted, not drawn")
        << horizontal << false << nan << 2 << 0 << 6LL << 1;
    QTest::newRow("fix points at 1e300")
        << Points{{1e300, 1e300}, {-1e300, 1e300}} << true << 0.5 << 2 << 0 << 12LL << 12;
    QTest::newRow("fix points at -1e300")
        << Points{{-1e300, -1e300}, {1e300, 1e300}} << false << 0.5 << 2 << 0 << 6LL << 6;
    QTest::newRow("fix point at infinity")
        << Points{{0, 0}, {inf, -inf}} << false << 0.5 << 2 << 0 << 6LL << -1;
    QTest::newRow("NaN fix point: counted, not drawn")
        << Points{{nan, 0}, {100, 100}} << false << 0.5 << 2 << 0 << 6LL << 0;
    QTest::newRow("single fix point, open: no segment")
        << Points{{5, 5}} << false << 0.5 << 2 << 0 << 0LL << 0;
    // Closed, the point is a segment of length 0 with its (4^2 - 1) / 3 bars.
    QTest::newRow("single fix point, closed: a segment onto itself")
        << Points{{5, 5}} << true << 0.5 << 2 << 0 << 6LL << 6;
    QTest::newRow("no fix points, closed") << Points{} << true << 0.5 << 2 << 0 << 0LL << 0;
}

void CrossTest::limits() {
    QFETCH(Points, points);
    QFETCH(bool, connectLast);
    QFETCH(double, g);
    QFETCH(int, depth);
    QFETCH(int, cancelAtYield);
    QFETCH(qint64, elements);
    QFETCH(int, drawnLines);
    RunFixture f;
    setCross(f, points, connectLast, g, depth);
    if (cancelAtYield > 0) {
        f.cancelAtYield(cancelAtYield);
    }

    f.draw(zv::CrossType);

    QCOMPARE(f.model.ElementsDrawn, elements);
    QVERIFY(drawnLines < 0 || f.canvas.count(CanvasOp::Line) == drawnLines);
    QVERIFY(allCoordinatesFinite(f.canvas));
}

QTEST_APPLESS_MAIN(CrossTest)
#include "tst_cross.moc"
