// Cantor set, recursive and demo: the bars, their order and colours, the
// counters, and what happens at the limits of the inputs.
#include "DrawRun.h"
#include "RunFixture.h"

#include <QTest>
#include <limits>

using namespace zvtest;

class CantorSetTest : public QObject {
    Q_OBJECT

private slots:
    void bars_data();
    void bars();
    void limits_data();
    void limits();
};

namespace {

void setCantor(RunFixture& f, int mode, int k, int depth, double x0, double x1, double y = 10) {
    f.canvas.width = 270;
    // The second fix point's Y plays no part.
    f.model.CantorSet = {std::uint8_t(mode), {{{x0, y}, {x1, 99}}}, 20, std::uint8_t(k)};
    f.model.CalcDepth = depth;
}

} // namespace

void CantorSetTest::bars_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("depth");
    QTest::addColumn<double>("x1");
    QTest::addColumn<QStringList>("bars");
    QTest::addColumn<int>("recursions");

    QTest::newRow("thirds") << 0 << 2 << 1 << 300.0
                            << QStringList{"box 0,10 300,30", "box 0,30 100,50",
                                           "box 200,30 300,50"}
                            << 2;
    QTest::newRow("fifths") << 0 << 3 << 1 << 500.0
                            << QStringList{"box 0,10 500,30", "box 0,30 100,50",
                                           "box 200,30 300,50", "box 400,30 500,50"}
                            << 3;
    QTest::newRow("depth first") << 0 << 2 << 2 << 270.0
                                 << QStringList{"box 0,10 270,30",   "box 0,30 90,50",
                                                "box 0,50 30,70",    "box 60,50 90,70",
                                                "box 180,30 270,50", "box 180,50 210,70",
                                                "box 240,50 270,70"}
                                 << 6;
    QTest::newRow("depth 0") << 0 << 2 << 0 << 300.0 << QStringList{"box 0,10 300,30"} << 0;
    QTest::newRow("negative depth") << 0 << 2 << -3 << 300.0 << QStringList{"box 0,10 300,30"} << 0;
    QTest::newRow("right end first")
        << 0 << 2 << 1 << -300.0
        << QStringList{"box 0,10 -300,30", "box 0,30 -100,50", "box -200,30 -300,50"} << 2;
    // The demo spans the canvas (270 pixels) from y = 0; fix points and k play no
    // part. Level colours 14737632 / D * level: (112, 112, 112), then (224, 224, 224).
    QTest::newRow("demo, two levels")
        << 3 << 5 << 2 << 50.0 << QStringList{"box 0,0 270,20",
                                              "box 0,20 90,40 #707070",
                                              "box 180,20 270,40 #707070",
                                              "box 0,40 30,60 #e0e0e0",
                                              "box 60,40 90,60 #e0e0e0",
                                              "box 180,40 210,60 #e0e0e0",
                                              "box 240,40 270,60 #e0e0e0"}
        << 0;
    // 14737632 / 3 = 4912544 = #4af5a0, 14737632 / 3 * 2 = 9825088 = #95eb40
    QTest::newRow("demo, three levels") << 3 << 2 << 3 << 0.0
                                        << QStringList{"box 0,0 270,20",
                                                       "box 0,20 90,40 #4af5a0",
                                                       "box 180,20 270,40 #4af5a0",
                                                       "box 0,40 30,60 #95eb40",
                                                       "box 60,40 90,60 #95eb40",
                                                       "box 180,40 210,60 #95eb40",
                                                       "box 240,40 270,60 #95eb40",
                                                       "box 0,60 10,80 #e0e0e0",
                                                       "box 20,60 30,80 #e0e0e0",
                                                       "box 60,60 70,80 #e0e0e0",
                                                       "box 80,60 90,80 #e0e0e0",
                                                       "box 180,60 190,80 #e0e0e0",
                                                       "box 200,60 210,80 #e0e0e0",
                                                       "box 240,60 250,80 #e0e0e0",
                                                       "box 260,60 270,80 #e0e0e0"}
                                        << 0;
    QTest::newRow("demo, depth 0") << 3 << 2 << 0 << 0.0 << QStringList{"box 0,0 270,20"} << 0;
}

void CantorSetTest::bars() {
    QFETCH(int, mode);
    QFETCH(int, k);
    QFETCH(int, depth);
    QFETCH(double, x1);
    QFETCH(QStringList, bars);
    QFETCH(int, recursions);
    RunFixture f;
    setCantor(f, mode, k, depth, 0, x1);

    f.draw(zv::CantorSetType);

    QCOMPARE(drawn(f.canvas), bars);
    // The demo neither counts its top bar nor recursions.
    const int uncounted = mode == zv::DemoMode ? 1 : 0;
    QCOMPARE(f.model.ElementsDrawn, bars.size() - uncounted);
    QCOMPARE(f.model.RecursionsDone, recursions);
    // The recursive mode yields after every bar but the top one, the demo after
    // every pair.
    QCOMPARE(f.host.yields, uncounted ? (bars.size() - 1) / 2 : bars.size() - 1);
    QCOMPARE(f.model.CantorSet.ElementsCount, std::uint8_t(k));
}

void CantorSetTest::limits_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("depth");
    QTest::addColumn<double>("x0");
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("cancelAtYield"); // 0: runs to its end
    QTest::addColumn<qint64>("elements");
    QTest::addColumn<int>("drawnBars");

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const int deepest = zv::MaxRecursionLevel;
    // k = 0 keeps no piece; above 128 the cut into 2k - 1 parts no longer fits a
    // byte, so it keeps 128 pieces.
    QTest::newRow("k 0: top bar only") << 0 << 0 << 3 << 0.0 << 270.0 << 10.0 << 0 << 1LL << 1;
    QTest::newRow("k 1: one bar per level") << 0 << 1 << 5 << 0.0 << 270.0 << 10.0 << 0 << 6LL << 6;
    QTest::newRow("k 128") << 0 << 128 << 1 << 0.0 << 270.0 << 10.0 << 0 << 129LL << 129;
    QTest::newRow("k 129 as 128") << 0 << 129 << 1 << 0.0 << 270.0 << 10.0 << 0 << 129LL << 129;
    QTest::newRow("k 255 as 128") << 0 << 255 << 1 << 0.0 << 270.0 << 10.0 << 0 << 129LL << 129;
    QTest::newRow("k 1, deepest depth: stops at the level limit")
        << 0 << 1 << MaxLong << 0.0 << 270.0 << 10.0 << 0 << deepest + 1LL << deepest + 1;
    // The first branch alone reaches the deepest level after 4096 bars.
    QTest::newRow("k 2, deepest depth, cancelled below the level limit")
        << 0 << 2 << MaxLong << 0.0 << 270.0 << 10.0 << 5000 << 5001LL << 5001;
    QTest::newRow("k 9, deepest depth, cancelled")
        << 0 << 9 << MaxLong << 0.0 << 270.0 << 10.0 << 500 << 501LL << 501;
    QTest::newRow("fix points at 1e300")
        << 0 << 2 << 2 << 1e300 << -1e300 << 1e300 << 0 << 7LL << 7;
    QTest::newRow("fix points at -1e300")
        << 0 << 2 << 2 << -1e300 << 1e300 << -1e300 << 0 << 7LL << 7;
    // 0 * inf has no value: those bars are counted but not drawn.
    QTest::newRow("right end at infinity") << 0 << 2 << 2 << 0.0 << inf << 10.0 << 0 << 7LL << 2;
    QTest::newRow("top at infinity") << 0 << 2 << 2 << 0.0 << 270.0 << -inf << 0 << 7LL << 7;
    QTest::newRow("NaN left end") << 0 << 2 << 2 << nan << 270.0 << 10.0 << 0 << 7LL << 0;
    QTest::newRow("NaN top") << 0 << 2 << 2 << 0.0 << 270.0 << nan << 0 << 7LL << 0;
    QTest::newRow("demo, 16 levels stop at 15")
        << 3 << 2 << 16 << 0.0 << 0.0 << 0.0 << 0 << (1LL << 16) - 2 << (1 << 16) - 1;
    QTest::newRow("demo, deepest depth stops at 15")
        << 3 << 2 << MaxLong << 0.0 << 0.0 << 0.0 << 0 << (1LL << 16) - 2 << (1 << 16) - 1;
    QTest::newRow("demo, deepest depth, cancelled")
        << 3 << 2 << MaxLong << 0.0 << 0.0 << 0.0 << 100 << 200LL << 201;
}

void CantorSetTest::limits() {
    QFETCH(int, mode);
    QFETCH(int, k);
    QFETCH(int, depth);
    QFETCH(double, x0);
    QFETCH(double, x1);
    QFETCH(double, y);
    QFETCH(int, cancelAtYield);
    QFETCH(qint64, elements);
    QFETCH(int, drawnBars);
    RunFixture f;
    setCantor(f, mode, k, depth, x0, x1, y);
    if (cancelAtYield > 0) {
        f.cancelAtYield(cancelAtYield);
    }

    f.draw(zv::CantorSetType);

    QCOMPARE(f.model.ElementsDrawn, elements);
    QCOMPARE(f.canvas.count(CanvasOp::Box), drawnBars);
    QVERIFY(allCoordinatesFinite(f.canvas));
    if (drawnBars == 0) {
        return;
    }
    const CanvasOp last = f.canvas.only(CanvasOp::Box).back();
    if (mode == zv::DemoMode && cancelAtYield == 0) {
        // The demo still ends on its light grey level, 15 bar heights down.
        QCOMPARE(last.color, 14737632);
        QCOMPARE(last.y1, 15.f * 20);
    }
    if (k == 1) {
        // Full-width bars, each one bar height below the one before.
        QCOMPARE(last.y1, float(y + 20.0 * (drawnBars - 1)));
        QCOMPARE(last.x2, 270.f);
    }
}

QTEST_APPLESS_MAIN(CantorSetTest)
#include "tst_cantorset.moc"
