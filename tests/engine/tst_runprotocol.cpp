// The pause / single-step / cancel protocol and the counter texts every
// algorithm shares, and the random element colours.
#include "EngineTest.h"

#include <algorithm>
#include <array>
#include <map>

using namespace zvtest;

class RunProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void singleStepDrawsOneElementPerResume_data() { algorithms(); }
    void singleStepDrawsOneElementPerResume();
    void cancelWhilePausedDrawsNothingMore_data() { algorithms(); }
    void cancelWhilePausedDrawsNothingMore();
    void counterTexts_data();
    void counterTexts();
    void randomColorAvoidsBackgroundUniformly_data();
    void randomColorAvoidsBackgroundUniformly();

private:
    static void algorithms();
};

// Small figures: drawnFirst is what comes before the first element (top bar,
// base line, whole triangle, start point); a demo element is two operations;
// waits is the number of elements that wait for a resume; pauseAt the yield
// after which the user pauses, deep inside a branch of the recursive figures.
void RunProtocolTest::algorithms() {
    QTest::addColumn<Figure>("figure");
    QTest::addColumn<QList<int>>("protocol"); // drawnFirst, opsPerElement, waits, pauseAt
    const std::vector<zv::FixPoint> pts{{0, 100}, {200, 100}, {100, 0}};
    QTest::newRow("Cantor") << Figure{0, 0, 2, pts, 2} << QList<int>{1, 1, 6, 3};
    QTest::newRow("Cantor demo") << Figure{0, 3, 2, pts, 2} << QList<int>{1, 2, 3, 2};
    QTest::newRow("cross") << Figure{1, 0, 2, {pts[0], pts[1]}, 0.5} << QList<int>{1, 1, 5, 3};
    QTest::newRow("gadget") << Figure{2, 0, 2, pts} << QList<int>{1, 1, 4, 3};
    QTest::newRow("chaos game") << Figure{2, 1, 12, pts} << QList<int>{0, 1, 12, 1};
    QTest::newRow("gadget demo") << Figure{2, 3, 12, pts} << QList<int>{1, 2, 12, 2};
    QTest::newRow("Koch") << Figure{3, 0, 2, {pts[0], pts[1]}} << QList<int>{1, 2, 5, 3};
    QTest::newRow("L-system") << Figure{4, 0, 2, pts, 90, false, "F", "FF"}
                              << QList<int>{0, 1, 4, 3};
}

// Started paused in single steps, as the draw command does: each element waits
// (over two wake-ups here) without drawing, then one S press draws just it.
void RunProtocolTest::singleStepDrawsOneElementPerResume() {
    QFETCH(Figure, figure);
    QFETCH(QList<int>, protocol);
    Run r;
    r.model.PauseAfterEachOp = true;
    r.model.GlobalState = zv::PauseMode;
    QList<qsizetype> drawnAtWakeUps;
    r.onPauseWakeUp([&] {
        drawnAtWakeUps << r.drawn().size();
        if (drawnAtWakeUps.size() % 2 == 0) {
            r.model.GlobalState = zv::WorkingMode; // the user presses S
        }
    });
    r.draw(figure);
    QCOMPARE(drawnAtWakeUps.size(), 2 * protocol[2]); // none after the last element
    QCOMPARE(drawnAtWakeUps.value(0), protocol[0]);
    drawnAtWakeUps << r.drawn().size() << r.drawn().size();
    for (int i = 2; i < drawnAtWakeUps.size(); i += 2) {
        QCOMPARE(drawnAtWakeUps[i - 1], drawnAtWakeUps[i - 2]);
        QCOMPARE(drawnAtWakeUps[i] - drawnAtWakeUps[i - 1], protocol[1]);
    }
    QCOMPARE(r.pauseSwitches, protocol[2]);
}

// A recursive run unwinds without drawing, not even the next base segment.
void RunProtocolTest::cancelWhilePausedDrawsNothingMore() {
    QFETCH(Figure, figure);
    QFETCH(QList<int>, protocol);
    Run r;
    figure.depth = figure.mode == 0 ? 4 : 40;
    figure.closed = true;
    qsizetype drawnAtCancel = -1;
    qint64 countedAtCancel = -1;
    r.onPauseWakeUp([&] {
        drawnAtCancel = r.drawn().size();
        countedAtCancel = r.model.ElementsDrawn;
        r.model.GlobalState = zv::EditMode;
    });
    const auto wake = r.onYield;
    r.onYield = [&, wake](int n) {
        wake(n);
        if (n == protocol[3]) {
            r.model.GlobalState = zv::PauseMode;
        }
    };
    r.draw(figure);
    QVERIFY(drawnAtCancel > 0);
    QCOMPARE(r.drawn().size(), drawnAtCancel);
    QCOMPARE(r.model.ElementsDrawn, countedAtCancel);
    QCOMPARE(r.yields, protocol[3] + 1); // the one wake-up while paused
}

// Both counters stepped alike: their texts come at totals that are multiples
// of 15 and at every count while paused; the 10 ms sleep comes with the
// elements text alone.
void RunProtocolTest::counterTexts_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("times");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("every multiple of 15")
        << 1 << 44 << false << QStringList{"sleep 10", "E:Elements drawn: 15", "R:Recursions: 15",
                                           "sleep 10", "E:Elements drawn: 30", "R:Recursions: 30"};
    QTest::newRow("pairs step past 15") << 2 << 8 << false << QStringList{};
    QTest::newRow("every count while paused")
        << 2 << 2 << true << QStringList{"sleep 10", "E:Elements drawn: 2", "R:Recursions: 2",
                                         "sleep 10", "E:Elements drawn: 4", "R:Recursions: 4"};
}

void RunProtocolTest::counterTexts() {
    QFETCH(int, step);
    QFETCH(int, times);
    QFETCH(bool, paused);
    QFETCH(QStringList, log);
    Run r;
    r.model.GlobalState = paused ? zv::PauseMode : zv::WorkingMode;
    zv::DrawRun run(r.model, r, r, r.random);
    for (int i = 0; i < times; ++i) {
        run.CountElements(step);
        run.CountRecursions(step);
    }
    QCOMPARE(r.trace, log);
    QCOMPARE(r.model.ElementsDrawn, step * times);
    QCOMPARE(r.model.RecursionsDone, step * times);
}

// The 16-colour text-mode palette written out apart from the engine's table,
// so that a swapped channel or entry shows.
const std::array<std::int32_t, 16> TextModePalette = {
    zv::rgb(0, 0, 0),       zv::rgb(0, 0, 128),   zv::rgb(0, 128, 0),   zv::rgb(0, 128, 128),
    zv::rgb(128, 0, 0),     zv::rgb(128, 0, 128), zv::rgb(128, 128, 0), zv::rgb(192, 192, 192),
    zv::rgb(128, 128, 128), zv::rgb(0, 0, 255),   zv::rgb(0, 255, 0),   zv::rgb(0, 255, 255),
    zv::rgb(255, 0, 0),     zv::rgb(255, 0, 255), zv::rgb(255, 255, 0), zv::rgb(255, 255, 255),
};

void RunProtocolTest::randomColorAvoidsBackgroundUniformly_data() {
    QTest::addColumn<int>("background");
    QTest::addColumn<int>("colors"); // how many palette colours remain
    QTest::newRow("white background") << int(zv::rgb(255, 255, 255)) << 15;
    QTest::newRow("black background") << int(zv::rgb(0, 0, 0)) << 15;
    QTest::newRow("background outside the palette") << int(zv::rgb(1, 2, 3)) << 16;
}

void RunProtocolTest::randomColorAvoidsBackgroundUniformly() {
    QFETCH(int, background);
    QFETCH(int, colors);
    Run r;
    r.model.ForeColor = zv::RandomColor;
    r.backColor = background;
    zv::DrawRun run(r.model, r, r, r.random);
    constexpr int perColor = 1000;
    std::map<std::int32_t, int> seen;
    for (int i = 0; i < perColor * colors; ++i) {
        ++seen[run.ElementColor()];
    }
    QCOMPARE(int(seen.size()), colors);
    QVERIFY(!seen.contains(background));
    double chiSquare = 0;
    for (const auto& [color, n] : seen) {
        QVERIFY(std::ranges::find(TextModePalette, color) != TextModePalette.end());
        chiSquare += double(n - perColor) * (n - perColor) / perColor;
    }
    // 14 or 15 degrees of freedom: 60 is far beyond the 1e-6 quantile, yet a
    // generator that favours one colour by a third lands well above it.
    QVERIFY2(chiSquare < 60, qPrintable(QString::number(chiSquare)));
}

QTEST_APPLESS_MAIN(RunProtocolTest)
#include "tst_runprotocol.moc"
