// Cantor set, recursive and demo: the bars, their order and colours, the
// counters, and what happens at the limits of the inputs.
#include "DrawRun.h"
#include "RunFixture.h"

#include <QTest>
#include <algorithm>
#include <limits>
#include <vector>

using namespace zvtest;

namespace {

struct Bar {
    float x1, y1, x2, y2;
    std::int32_t color = TestForeColor;
    bool operator==(const Bar&) const = default;
};
using Bars = std::vector<Bar>;

Bars barsOf(const RecordingCanvas& canvas) {
    Bars bars;
    for (const CanvasOp& op : canvas.only(CanvasOp::Box)) {
        bars.push_back({op.x1, op.y1, op.x2, op.y2, op.color});
    }
    return bars;
}

char* toString(const Bars& bars) {
    QByteArray text;
    for (const Bar& b : bars) {
        text += QByteArray("(") + QByteArray::number(b.x1) + "," + QByteArray::number(b.y1) +
                ")-(" + QByteArray::number(b.x2) + "," + QByteArray::number(b.y2) + ") #" +
                QByteArray::number(b.color) + " ";
    }
    return qstrdup(text.constData());
}

void setCantor(RunFixture& f, int k, int depth, double x0, double x1, double y = 10, int h = 20) {
    f.model.CantorSet.DrawMode = zv::RecursiveMode;
    f.model.CantorSet.ElementsCount = std::uint8_t(k);
    f.model.CantorSet.StepHeight = std::int16_t(h);
    f.model.CantorSet.FixPoints = {{{x0, y}, {x1, 99}}}; // the second Y plays no part
    f.model.CalcDepth = depth;
}

} // namespace

Q_DECLARE_METATYPE(Bars)

class CantorSetTest : public QObject {
    Q_OBJECT

private slots:
    void recursiveBars_data();
    void recursiveBars();
    void demoBars_data();
    void demoBars();
    void limits_data();
    void limits();
};

void CantorSetTest::recursiveBars_data() {
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("depth");
    QTest::addColumn<double>("x1");
    QTest::addColumn<Bars>("bars");
    QTest::addColumn<int>("recursions");

    QTest::newRow("thirds, one level")
        << 2 << 1 << 300.0 << Bars{{0, 10, 300, 30}, {0, 30, 100, 50}, {200, 30, 300, 50}} << 2;
    QTest::newRow("fifths, one level")
        << 3 << 1 << 500.0
        << Bars{{0, 10, 500, 30}, {0, 30, 100, 50}, {200, 30, 300, 50}, {400, 30, 500, 50}} << 3;
    QTest::newRow("depth first over two levels")
        << 2 << 2 << 270.0
        << Bars{{0, 10, 270, 30},   {0, 30, 90, 50},    {0, 50, 30, 70},   {60, 50, 90, 70},
                {180, 30, 270, 50}, {180, 50, 210, 70}, {240, 50, 270, 70}}
        << 6;
    QTest::newRow("depth 0: top bar only") << 2 << 0 << 300.0 << Bars{{0, 10, 300, 30}} << 0;
    QTest::newRow("negative depth: top bar only")
        << 2 << -3 << 300.0 << Bars{{0, 10, 300, 30}} << 0;
    QTest::newRow("right end left of the left end")
        << 2 << 1 << -300.0 << Bars{{0, 10, -300, 30}, {0, 30, -100, 50}, {-200, 30, -300, 50}}
        << 2;
}

void CantorSetTest::recursiveBars() {
    QFETCH(int, k);
    QFETCH(int, depth);
    QFETCH(double, x1);
    QFETCH(Bars, bars);
    QFETCH(int, recursions);
    RunFixture f;
    setCantor(f, k, depth, 0, x1);

    f.draw(zv::CantorSetType);

    QCOMPARE(barsOf(f.canvas), bars);
    QCOMPARE(f.model.ElementsDrawn, std::int64_t(bars.size()));
    QCOMPARE(f.model.RecursionsDone, recursions);
    QCOMPARE(f.host.yields, int(bars.size()) - 1); // no yield after the top bar
    QCOMPARE(f.model.CantorSet.ElementsCount, std::uint8_t(k));
}

void CantorSetTest::demoBars_data() {
    QTest::addColumn<int>("depth");
    QTest::addColumn<Bars>("bars");

    const std::int32_t grey = 14737632; // (224, 224, 224)
    QTest::newRow("two levels on 270 pixels")
        << 2
        << Bars{{0, 0, 270, 20},         {0, 20, 90, 40, grey / 2}, {180, 20, 270, 40, grey / 2},
                {0, 40, 30, 60, grey},   {60, 40, 90, 60, grey},    {180, 40, 210, 60, grey},
                {240, 40, 270, 60, grey}};
    QTest::newRow("depth 0: top bar only") << 0 << Bars{{0, 0, 270, 20}};
    // 14737632 / 3 = 4912544 exactly; 14737632 * 2 / 3 = 9825088 exactly.
    QTest::newRow("three levels: colours step by a third") << 3
                                                           << Bars{{0, 0, 270, 20},
                                                                   {0, 20, 90, 40, 4912544},
                                                                   {180, 20, 270, 40, 4912544},
                                                                   {0, 40, 30, 60, 9825088},
                                                                   {60, 40, 90, 60, 9825088},
                                                                   {0, 60, 10, 80, grey},
                                                                   {20, 60, 30, 80, grey},
                                                                   {60, 60, 70, 80, grey},
                                                                   {80, 60, 90, 80, grey},
                                                                   {180, 40, 210, 60, 9825088},
                                                                   {240, 40, 270, 60, 9825088},
                                                                   {180, 60, 190, 80, grey},
                                                                   {200, 60, 210, 80, grey},
                                                                   {240, 60, 250, 80, grey},
                                                                   {260, 60, 270, 80, grey}};
}

void CantorSetTest::demoBars() {
    QFETCH(int, depth);
    QFETCH(Bars, bars);
    RunFixture f;
    f.canvas.width = 270;
    setCantor(f, 5, depth, 40, 50); // fix points and k play no part
    f.model.CantorSet.DrawMode = zv::DemoMode;

    f.draw(zv::CantorSetType);

    Bars drawn = barsOf(f.canvas);
    // Level by level, left to right; compare as sets within a level.
    auto byLevelThenX = [](const Bar& a, const Bar& b) {
        return a.y1 != b.y1 ? a.y1 < b.y1 : a.x1 < b.x1;
    };
    std::sort(bars.begin(), bars.end(), byLevelThenX);
    QCOMPARE(drawn, bars);
    QCOMPARE(f.model.ElementsDrawn, std::int64_t(bars.size()) - 1);
    QCOMPARE(f.model.RecursionsDone, 0);
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
    QTest::addColumn<qint64>("drawn");

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // k = 0 keeps no piece; above 128 the cut of 2k - 1 parts no longer fits a
    // byte, so it keeps 128 pieces.
    QTest::newRow("k 0: top bar only") << 0 << 0 << 3 << 0.0 << 300.0 << 10.0 << 0 << 1LL << 1LL;
    QTest::newRow("k 1: the bar repeats once per level")
        << 0 << 1 << 5 << 0.0 << 300.0 << 10.0 << 0 << 6LL << 6LL;
    QTest::newRow("k 128") << 0 << 128 << 1 << 0.0 << 300.0 << 10.0 << 0 << 129LL << 129LL;
    QTest::newRow("k 129 as 128") << 0 << 129 << 1 << 0.0 << 300.0 << 10.0 << 0 << 129LL << 129LL;
    QTest::newRow("k 255 as 128") << 0 << 255 << 1 << 0.0 << 300.0 << 10.0 << 0 << 129LL << 129LL;
    QTest::newRow("k 1, deepest depth: stops at the level limit")
        << 0 << 1 << MaxLong << 0.0 << 300.0 << 10.0 << 0 << qint64(zv::MaxRecursionLevel) + 1
        << qint64(zv::MaxRecursionLevel) + 1;
    QTest::newRow("k 2, deepest depth, cancelled")
        << 0 << 2 << MaxLong << 0.0 << 300.0 << 10.0 << 500 << 501LL << 501LL;
    QTest::newRow("k 9, deepest depth, cancelled")
        << 0 << 9 << MaxLong << 0.0 << 300.0 << 10.0 << 500 << 501LL << 501LL;
    QTest::newRow("fix points at 1e300")
        << 0 << 2 << 2 << 1e300 << -1e300 << 1e300 << 0 << 7LL << 7LL;
    QTest::newRow("fix points at -1e300")
        << 0 << 2 << 2 << -1e300 << 1e300 << -1e300 << 0 << 7LL << 7LL;
    // 0 * inf has no value: those bars are counted but not drawn.
    QTest::newRow("right end at infinity") << 0 << 2 << 2 << 0.0 << inf << 10.0 << 0 << 7LL << 2LL;
    QTest::newRow("top at infinity") << 0 << 2 << 2 << 0.0 << 300.0 << -inf << 0 << 7LL << 7LL;
    QTest::newRow("NaN left end") << 0 << 2 << 2 << nan << 300.0 << 10.0 << 0 << 7LL << 0LL;
    QTest::newRow("NaN top") << 0 << 2 << 2 << 0.0 << 300.0 << nan << 0 << 7LL << 0LL;
    QTest::newRow("demo, 16 levels stop at 15")
        << 3 << 2 << 16 << 0.0 << 0.0 << 0.0 << 0 << (1LL << 16) - 2 << (1LL << 16) - 1;
    QTest::newRow("demo, deepest depth stops at 15")
        << 3 << 2 << MaxLong << 0.0 << 0.0 << 0.0 << 0 << (1LL << 16) - 2 << (1LL << 16) - 1;
    QTest::newRow("demo, deepest depth, cancelled")
        << 3 << 2 << MaxLong << 0.0 << 0.0 << 0.0 << 100 << 200LL << 201LL;
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
    QFETCH(qint64, drawn);
    RunFixture f;
    setCantor(f, k, depth, x0, x1, y);
    f.model.CantorSet.DrawMode = std::uint8_t(mode);
    if (cancelAtYield > 0) {
        f.cancelAtYield(cancelAtYield);
    }

    f.draw(zv::CantorSetType);

    QCOMPARE(f.model.ElementsDrawn, elements);
    QCOMPARE(qint64(f.canvas.count(CanvasOp::Box)), drawn);
    QVERIFY(allCoordinatesFinite(f.canvas));
    if (mode == zv::DemoMode && cancelAtYield == 0) {
        // The last level is the light grey one and its bars are 3^-15 of the width.
        const Bars bars = barsOf(f.canvas);
        const auto first =
            std::find_if(bars.begin(), bars.end(), [](const Bar& b) { return b.y1 == 15.f * 20; });
        QVERIFY(first != bars.end());
        QCOMPARE(first->x1, 0.f);
        QCOMPARE(first->color, 14737632);
        QVERIFY(qFuzzyCompare(first->x2 * 14348907.f, f.canvas.width));
        QCOMPARE(bars.back().y1, 15.f * 20);
    }
    if (k == 1 && mode == zv::RecursiveMode) {
        // One bar per level, each one step height below the one before.
        const Bars bars = barsOf(f.canvas);
        QCOMPARE(bars.back().y1, float(y + 20.0 * (bars.size() - 1)));
        QCOMPARE(bars.back().x2, 300.f);
    }
}

QTEST_APPLESS_MAIN(CantorSetTest)
#include "tst_cantorset.moc"
