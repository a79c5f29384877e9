// Cross: the polyline, the bars across each segment and each half-arm, their
// order and counters, and what happens at the limits of the inputs.
#include "DrawRun.h"
#include "RunFixture.h"

#include <QTest>
#include <limits>
#include <vector>

using namespace zvtest;

namespace {

struct Seg {
    float x1, y1, x2, y2;
    bool operator==(const Seg&) const = default;
};
using Segs = std::vector<Seg>;
using Points = std::vector<zv::FixPoint>;

Segs linesOf(const RecordingCanvas& canvas) {
    Segs lines;
    for (const CanvasOp& op : canvas.only(CanvasOp::Line)) {
        lines.push_back({op.x1, op.y1, op.x2, op.y2});
    }
    return lines;
}

char* toString(const Segs& lines) {
    QByteArray text;
    for (const Seg& s : lines) {
        text += QByteArray("(") + QByteArray::number(s.x1) + "," + QByteArray::number(s.y1) +
                ")-(" + QByteArray::number(s.x2) + "," + QByteArray::number(s.y2) + ") ";
    }
    return qstrdup(text.constData());
}

const Points horizontal{{0, 100}, {200, 100}};

} // namespace

Q_DECLARE_METATYPE(Segs)
Q_DECLARE_METATYPE(Points)

class CrossTest : public QObject {
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void limits_data();
    void limits();
};

void CrossTest::lines_data() {
    QTest::addColumn<Points>("points");
    QTest::addColumn<bool>("connectLast");
    QTest::addColumn<double>("g");
    QTest::addColumn<int>("depth");
    QTest::addColumn<Segs>("lines");
    QTest::addColumn<int>("recursions");

    QTest::newRow("one level") << horizontal << false << 0.5 << 1
                               << Segs{{0, 100, 200, 100}, {100, 50, 100, 150}} << 1;
    QTest::newRow("two levels: half-segments, then half-bars")
        << horizontal << false << 0.5 << 2
        << Segs{{0, 100, 200, 100},  {100, 50, 100, 150},   {50, 125, 50, 75},
                {150, 75, 150, 125}, {112.5, 75, 87.5, 75}, {87.5, 125, 112.5, 125}}
        << 5;
    QTest::newRow("45 degrees: the bar lies on its segment")
        << Points{{0, 0}, {100, 100}} << false << 0.5 << 1
        << Segs{{0, 0, 100, 100}, {25, 25, 75, 75}} << 1;
    QTest::newRow("g 1: bar twice the segment")
        << horizontal << false << 1.0 << 1 << Segs{{0, 100, 200, 100}, {100, -100, 100, 300}} << 1;
    QTest::newRow("g 0: bar of length 0, still drawn")
        << horizontal << false << 0.0 << 1 << Segs{{0, 100, 200, 100}, {100, 100, 100, 100}} << 1;
    QTest::newRow("negative g as its square")
        << horizontal << false << -0.5 << 1 << Segs{{0, 100, 200, 100}, {100, 50, 100, 150}} << 1;
    QTest::newRow("closed two-point figure: the segment back")
        << horizontal << true << 0.5 << 1
        << Segs{{0, 100, 200, 100}, {100, 50, 100, 150}, {200, 100, 0, 100}, {100, 150, 100, 50}}
        << 2;
    QTest::newRow("open triangle") << Points{{0, 0}, {100, 0}, {100, 100}} << false << 0.5 << 0
                                   << Segs{{0, 0, 100, 0}, {100, 0, 100, 100}} << 0;
    QTest::newRow("closed triangle")
        << Points{{0, 0}, {100, 0}, {100, 100}} << true << 0.5 << 0
        << Segs{{0, 0, 100, 0}, {100, 0, 100, 100}, {100, 100, 0, 0}} << 0;
}

void CrossTest::lines() {
    QFETCH(Points, points);
    QFETCH(bool, connectLast);
    QFETCH(double, g);
    QFETCH(int, depth);
    QFETCH(Segs, lines);
    QFETCH(int, recursions);
    RunFixture f;
    f.model.Cross.FixPoints = points;
    f.model.Cross.ConnectLast = connectLast;
    f.model.Cross.DecreaseFactor = g;
    f.model.CalcDepth = depth;

    f.draw(zv::CrossType);

    QCOMPARE(linesOf(f.canvas), lines);
    QCOMPARE(f.model.ElementsDrawn, std::int64_t(lines.size()));
    QCOMPARE(f.model.RecursionsDone, recursions);
    QCOMPARE(f.host.yields, recursions); // the base lines do not yield
    QCOMPARE(f.model.Cross.DecreaseFactor, g);
}

void CrossTest::limits_data() {
    QTest::addColumn<Points>("points");
    QTest::addColumn<bool>("connectLast");
    QTest::addColumn<double>("g");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("cancelAtYield"); // 0: runs to its end
    QTest::addColumn<qint64>("elements");
    QTest::addColumn<int>("drawn"); // -1: not checked

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Per segment: the segment and (4^D - 1) / 3 bars.
    // The first branch alone reaches the deepest level after 4096 bars.
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
    QTest::newRow("single fix point, closed: no segment")
        << Points{{5, 5}} << true << 0.5 << 2 << 0 << 0LL << 0;
    QTest::newRow("no fix points, closed") << Points{} << true << 0.5 << 2 << 0 << 0LL << 0;
}

void CrossTest::limits() {
    QFETCH(Points, points);
    QFETCH(bool, connectLast);
    QFETCH(double, g);
    QFETCH(int, depth);
    QFETCH(int, cancelAtYield);
    QFETCH(qint64, elements);
    QFETCH(int, drawn);
    RunFixture f;
    f.model.Cross.FixPoints = points;
    f.model.Cross.ConnectLast = connectLast;
    f.model.Cross.DecreaseFactor = g;
    f.model.CalcDepth = depth;
    if (cancelAtYield > 0) {
        f.cancelAtYield(cancelAtYield);
    }

    f.draw(zv::CrossType);

    QCOMPARE(f.model.ElementsDrawn, elements);
    if (drawn >= 0) {
        QCOMPARE(f.canvas.count(CanvasOp::Line), drawn);
    }
    QVERIFY(allCoordinatesFinite(f.canvas));
}

QTEST_APPLESS_MAIN(CrossTest)
#include "tst_cross.moc"
