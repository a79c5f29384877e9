// The drawing run as the window sees it: the dispatcher around an algorithm,
// the pause / single-step / cancel protocol and counter texts every algorithm
// shares, and the random element colours.
#include "DrawRun.h"
#include "RunFixture.h"

#include <QTest>
#include <algorithm>
#include <array>
#include <map>

using namespace zvtest;

namespace {

// Small figures of every type, each drawn in the given mode.
void setUp(RunFixture& f, int mode, int depth = 2) {
    zv::ParameterModel& m = f.model;
    m.CalcDepth = depth;
    m.CantorSet = {std::uint8_t(mode), {{{0, 10}, {300, 10}}}, 20, 2};
    m.Cross = {std::uint8_t(mode), {{0, 100}, {200, 100}}, false, 0.5};
    m.SierpinskyGadget = {std::uint8_t(mode), {{{0, 200}, {200, 200}, {100, 0}}}};
    m.KochCurve = {std::uint8_t(mode), {{0, 100}, {270, 100}}, false};
}

// One row per algorithm of the three types, with one or two int columns.
void addAlgorithmRows(std::array<int, 6> values, const char* column,
                      std::array<int, 6> values2 = {}, const char* column2 = nullptr) {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>(column);
    if (column2) {
        QTest::addColumn<int>(column2);
    }
    const char* names[] = {"Cantor recursive", "Cantor demo",       "Cross",
                           "gadget recursive", "gadget chaos game", "gadget demo"};
    const int types[] = {0, 0, 1, 2, 2, 2};
    const int modes[] = {0, 3, 0, 0, 1, 3};
    for (std::size_t i = 0; i < 6; ++i) {
        auto& row = QTest::newRow(names[i]) << types[i] << modes[i] << values[i];
        if (column2) {
            row << values2[i];
        }
    }
}

} // namespace

class RunProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void unsupportedModesDrawNothing_data();
    void unsupportedModesDrawNothing();
    void pauseBeforeElementDrawsNothing_data();
    void pauseBeforeElementDrawsNothing();
    void singleStepDrawsOneElementPerResume_data();
    void singleStepDrawsOneElementPerResume();
    void cancelWhilePausedDrawsNothingMore_data();
    void cancelWhilePausedDrawsNothingMore();
    void counterTexts_data();
    void counterTexts();
    void randomColorAvoidsBackgroundUniformly_data();
    void randomColorAvoidsBackgroundUniformly();
};

void RunProtocolTest::unsupportedModesDrawNothing_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("draws");
    const int modes[][3] = {{0, 0, 1},   {0, 1, 0}, {0, 2, 0},  {0, 3, 1}, {1, 0, 1}, {1, 1, 0},
                            {1, 2, 0},   {1, 3, 0}, {2, 0, 1},  {2, 1, 1}, {2, 2, 0}, {2, 3, 1},
                            {3, 0, 1},   {3, 1, 0}, {3, 2, 1},  {3, 3, 0}, {4, 0, 1}, {4, 3, 1},
                            {0, 200, 0}, {5, 0, 0}, {255, 0, 0}};
    for (const auto& [type, mode, draws] : modes) {
        QTest::addRow("type %d mode %d", type, mode) << type << mode << bool(draws);
    }
}

void RunProtocolTest::unsupportedModesDrawNothing() {
    QFETCH(int, type);
    QFETCH(int, mode);
    QFETCH(bool, draws);
    RunFixture f;
    setUp(f, mode);
    f.model.ElementsDrawn = f.model.RecursionsDone = 1LL << 40;

    f.draw(std::uint8_t(type));

    // Hourglass, clear, ..., default pointer; counters start from 0 every run.
    const auto& ops = f.canvas.ops;
    QCOMPARE(ops.front().color, zv::HourglassPointer);
    QCOMPARE(ops[1].kind, CanvasOp::Clear);
    QCOMPARE(ops.back().kind, CanvasOp::Pointer);
    QCOMPARE(ops.back().color, zv::DefaultPointer);
    QCOMPARE(ops.size() > 3, draws);
    QVERIFY(f.model.ElementsDrawn < (1LL << 40) && f.model.RecursionsDone < (1LL << 40));
    QCOMPARE(f.model.ElementsDrawn > 0, draws);
    QVERIFY(draws || f.model.RecursionsDone == 0);
}

void RunProtocolTest::pauseBeforeElementDrawsNothing_data() {
    // Figures drawn before the first pause test: top bar, base line, whole triangle,
    // start point.
    addAlgorithmRows({1, 1, 1, 1, 0, 1}, "drawnFirst");
}

void RunProtocolTest::pauseBeforeElementDrawsNothing() {
    QFETCH(int, type);
    QFETCH(int, mode);
    QFETCH(int, drawnFirst);
    RunFixture f;
    setUp(f, mode);
    f.model.GlobalState = zv::PauseMode;
    int wakeUps = 0;
    int drawnWhilePaused = -1;
    f.onPauseWakeUp([&] {
        if (++wakeUps == 5) {
            drawnWhilePaused = drawingCount(f.canvas);
            f.model.GlobalState = zv::WorkingMode;
        }
    });

    f.draw(std::uint8_t(type));

    QCOMPARE(wakeUps, 5);
    QCOMPARE(drawnWhilePaused, drawnFirst);
    QVERIFY(drawingCount(f.canvas) > drawnFirst);
    QCOMPARE(f.host.pauseSwitches, 0);
}

void RunProtocolTest::singleStepDrawsOneElementPerResume_data() {
    // Drawing operations per element (the demos draw two), and how many elements
    // wait for a resume at depth 2, or 12 points for the chaos modes.
    addAlgorithmRows({1, 2, 1, 1, 1, 2}, "opsPerElement", {6, 3, 5, 4, 12, 12}, "waits");
}

void RunProtocolTest::singleStepDrawsOneElementPerResume() {
    QFETCH(int, type);
    QFETCH(int, mode);
    QFETCH(int, opsPerElement);
    QFETCH(int, waits);
    RunFixture f;
    setUp(f, mode, type == 2 && mode != 0 ? 12 : 2);
    f.model.PauseAfterEachOp = true;
    f.model.GlobalState = zv::PauseMode; // as the draw command starts a single-step run
    QList<int> drawnAtEachWait;
    f.onPauseWakeUp([&] {
        drawnAtEachWait << drawingCount(f.canvas);
        f.model.GlobalState = zv::WorkingMode; // the user presses S
    });

    f.draw(std::uint8_t(type));

    // One wait per element, none after the last; each resume adds one element.
    QCOMPARE(drawnAtEachWait.size(), waits);
    drawnAtEachWait << drawingCount(f.canvas);
    for (int i = 1; i < drawnAtEachWait.size(); ++i) {
        QCOMPARE(drawnAtEachWait[i] - drawnAtEachWait[i - 1], opsPerElement);
    }
    QCOMPARE(f.host.pauseSwitches, drawnAtEachWait.size() - 1);
    QCOMPARE(f.model.GlobalState, zv::PauseMode);
}

void RunProtocolTest::cancelWhilePausedDrawsNothingMore_data() {
    // The yield after which the user pauses: deep inside a branch for the
    // recursive figures, after the first ten points for the chaos game.
    addAlgorithmRows({3, 2, 3, 3, 1, 2}, "pauseAtYield");
}

void RunProtocolTest::cancelWhilePausedDrawsNothingMore() {
    QFETCH(int, type);
    QFETCH(int, mode);
    QFETCH(int, pauseAtYield);
    RunFixture f;
    setUp(f, mode, type == 2 && mode == 1 ? 40 : 4);
    int drawnAtCancel = -1;
    std::int64_t countedAtCancel = -1;
    f.onPauseWakeUp([&] {
        drawnAtCancel = drawingCount(f.canvas);
        countedAtCancel = f.model.ElementsDrawn;
        f.model.GlobalState = zv::EditMode;
    });
    const auto wake = f.host.onYield;
    f.host.onYield = [&, wake](int n) {
        wake(n);
        if (n == pauseAtYield) {
            f.model.GlobalState = zv::PauseMode;
        }
    };

    f.draw(std::uint8_t(type));

    QVERIFY(drawnAtCancel > 0);
    QCOMPARE(drawingCount(f.canvas), drawnAtCancel);
    QCOMPARE(f.model.ElementsDrawn, countedAtCancel);
    QCOMPARE(f.host.yields, pauseAtYield + 1); // the one wake-up while paused
}

void RunProtocolTest::counterTexts_data() {
    QTest::addColumn<bool>("recursions");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("times");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<QStringList>("texts");
    const QString e = "Elements drawn: ";
    const QString r = "Recursions: ";
    QTest::newRow("14 elements write nothing") << false << 1 << 14 << false << QStringList{};
    QTest::newRow("every multiple of 15")
        << false << 1 << 45 << false << QStringList{e + "15", e + "30", e + "45"};
    QTest::newRow("pairs step past 15") << false << 2 << 8 << false << QStringList{};
    QTest::newRow("pairs land on 30") << false << 2 << 15 << false << QStringList{e + "30"};
    QTest::newRow("every count while paused")
        << false << 1 << 3 << true << QStringList{e + "1", e + "2", e + "3"};
    QTest::newRow("recursions at 15") << true << 1 << 16 << false << QStringList{r + "15"};
    QTest::newRow("recursion pairs step past 15") << true << 2 << 8 << false << QStringList{};
    QTest::newRow("recursions while paused")
        << true << 2 << 2 << true << QStringList{r + "2", r + "4"};
}

void RunProtocolTest::counterTexts() {
    QFETCH(bool, recursions);
    QFETCH(int, step);
    QFETCH(int, times);
    QFETCH(bool, paused);
    QFETCH(QStringList, texts);
    RunFixture f;
    f.model.GlobalState = paused ? zv::PauseMode : zv::WorkingMode;
    zv::DrawRun run(f.model, f.canvas, f.host, f.random);

    for (int i = 0; i < times; ++i) {
        recursions ? run.CountRecursions(step) : run.CountElements(step);
    }

    // The log holds "E:<text>", "R:<text>" and "sleep <ms>" in order; the 10 ms
    // sleep belongs to the elements text alone, right before it.
    QStringList expected;
    for (const QString& t : texts) {
        expected << (recursions ? QStringList{"R:" + t} : QStringList{"sleep 10", "E:" + t});
    }
    QStringList log;
    for (const std::string& entry : f.host.log) {
        log << QString::fromStdString(entry);
    }
    QCOMPARE(log, expected);
    QCOMPARE(recursions ? f.model.RecursionsDone : f.model.ElementsDrawn, step * times);
}

// The 16-colour text-mode palette as red, green, blue, written out apart from
// the engine's table so that a swapped channel or entry shows.
const std::array<std::int32_t, 16> TextModePalette = {
    zv::rgb(0, 0, 0),       zv::rgb(0, 0, 128),   zv::rgb(0, 128, 0),   zv::rgb(0, 128, 128),
    zv::rgb(128, 0, 0),     zv::rgb(128, 0, 128), zv::rgb(128, 128, 0), zv::rgb(192, 192, 192),
    zv::rgb(128, 128, 128), zv::rgb(0, 0, 255),   zv::rgb(0, 255, 0),   zv::rgb(0, 255, 255),
    zv::rgb(255, 0, 0),     zv::rgb(255, 0, 255), zv::rgb(255, 255, 0), zv::rgb(255, 255, 255),
};

void RunProtocolTest::randomColorAvoidsBackgroundUniformly_data() {
    QTest::addColumn<int>("background");
    QTest::addColumn<int>("colors"); // how many palette colours remain
    for (std::size_t i = 0; i < TextModePalette.size(); ++i) {
        QTest::addRow("background palette %zu", i) << int(TextModePalette[i]) << 15;
    }
    QTest::newRow("background outside the palette") << int(zv::rgb(1, 2, 3)) << 16;
}

void RunProtocolTest::randomColorAvoidsBackgroundUniformly() {
    QFETCH(int, background);
    QFETCH(int, colors);
    RunFixture f;
    f.model.ForeColor = zv::RandomColor;
    f.host.backColor = background;
    zv::DrawRun run(f.model, f.canvas, f.host, f.random);

    constexpr int perColor = 1000;
    std::map<std::int32_t, int> seen;
    for (int i = 0; i < perColor * colors; ++i) {
        ++seen[run.ElementColor()];
    }

    QCOMPARE(int(seen.size()), colors);
    QVERIFY(!seen.contains(background));
    double chiSquare = 0;
    for (const auto& [color, n] : seen) {
        QVERIFY(std::find(TextModePalette.begin(), TextModePalette.end(), color) !=
                TextModePalette.end());
        chiSquare += double(n - perColor) * (n - perColor) / perColor;
    }
    // 14 or 15 degrees of freedom: 60 is far beyond the 1e-6 quantile, yet a
    // generator that favours one colour by a third lands well above it.
    QVERIFY2(chiSquare < 60, qPrintable(QString::number(chiSquare)));
}

QTEST_APPLESS_MAIN(RunProtocolTest)
#include "tst_runprotocol.moc"
