// The drawing run as the window sees it: what the dispatcher does around an
// algorithm, and the pause / single-step / cancel protocol and counter texts
// every algorithm shares.
#include "DrawRun.h"
#include "RunFixture.h"

#include <QStringList>
#include <QTest>

using namespace zvtest;

namespace {

// Small figures of every type, each with something to draw at depth 2.
void setUpFigures(zv::ParameterModel& model) {
    model.CalcDepth = 2;
    model.CantorSet.FixPoints = {{{0, 10}, {300, 10}}};
    model.CantorSet.ElementsCount = 2;
    model.CantorSet.StepHeight = 20;
    model.Cross.FixPoints = {{0, 100}, {200, 100}};
    model.Cross.DecreaseFactor = 0.5;
    model.SierpinskyGadget.FixPoints = {{{0, 200}, {200, 200}, {100, 0}}};
}

void setMode(zv::ParameterModel& model, std::uint8_t type, std::uint8_t mode) {
    switch (type) {
    case zv::CantorSetType:
        model.CantorSet.DrawMode = mode;
        break;
    case zv::CrossType:
        model.Cross.DrawMode = mode;
        break;
    case zv::SierpinskyGadgetType:
        model.SierpinskyGadget.DrawMode = mode;
        break;
    case zv::KochCurveType:
        model.KochCurve.DrawMode = mode;
        break;
    default:
        break;
    }
}

// Rows shared by the protocol tests: one per algorithm of this file's types.
void addAlgorithmColumns() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("mode");
}

} // namespace

class RunProtocolTest : public QObject {
    Q_OBJECT

private slots:
    void dispatch_data();
    void dispatch();
    void pauseBeforeElementDrawsNothing_data();
    void pauseBeforeElementDrawsNothing();
    void singleStepDrawsOneElementPerResume_data();
    void singleStepDrawsOneElementPerResume();
    void cancelWhilePausedDrawsNothingMore_data();
    void cancelWhilePausedDrawsNothingMore();
    void counterTexts_data();
    void counterTexts();
};

void RunProtocolTest::dispatch_data() {
    addAlgorithmColumns();
    QTest::addColumn<int>("drawnKind"); // -1: the run draws nothing

    QTest::newRow("Cantor recursive") << 0 << 0 << int(CanvasOp::Box);
    QTest::newRow("Cantor demo") << 0 << 3 << int(CanvasOp::Box);
    QTest::newRow("Cross recursive") << 1 << 0 << int(CanvasOp::Line);
    QTest::newRow("gadget recursive") << 2 << 0 << int(CanvasOp::Polygon);
    QTest::newRow("gadget chaos game") << 2 << 1 << int(CanvasOp::Pixel);
    QTest::newRow("gadget demo") << 2 << 3 << int(CanvasOp::Circle);
    QTest::newRow("Cantor chaos game") << 0 << 1 << -1;
    QTest::newRow("Cantor turtle") << 0 << 2 << -1;
    QTest::newRow("Cross chaos game") << 1 << 1 << -1;
    QTest::newRow("Cross turtle") << 1 << 2 << -1;
    QTest::newRow("Cross demo") << 1 << 3 << -1;
    QTest::newRow("gadget turtle") << 2 << 2 << -1;
    QTest::newRow("Koch chaos game") << 3 << 1 << -1;
    QTest::newRow("Koch demo") << 3 << 3 << -1;
    QTest::newRow("Cantor mode from a damaged file") << 0 << 200 << -1;
    QTest::newRow("type beyond the catalogue") << 5 << 0 << -1;
    QTest::newRow("type 255") << 255 << 0 << -1;
}

void RunProtocolTest::dispatch() {
    QFETCH(int, type);
    QFETCH(int, mode);
    QFETCH(int, drawnKind);
    RunFixture f;
    setUpFigures(f.model);
    setMode(f.model, std::uint8_t(type), std::uint8_t(mode));
    f.model.ElementsDrawn = 77;
    f.model.RecursionsDone = 77;

    f.draw(std::uint8_t(type));

    QVERIFY(f.canvas.ops.size() >= 3);
    QCOMPARE(f.canvas.ops[0].kind, CanvasOp::Pointer);
    QCOMPARE(f.canvas.ops[0].color, zv::HourglassPointer);
    QCOMPARE(f.canvas.ops[1].kind, CanvasOp::Clear);
    QCOMPARE(f.canvas.ops.back().kind, CanvasOp::Pointer);
    QCOMPARE(f.canvas.ops.back().color, zv::DefaultPointer);
    QCOMPARE(f.model.GlobalState, zv::WorkingMode);
    if (drawnKind < 0) {
        QCOMPARE(f.canvas.ops.size(), std::size_t(3));
        QCOMPARE(f.model.ElementsDrawn, 0);
        QCOMPARE(f.model.RecursionsDone, 0);
    } else {
        QVERIFY(f.canvas.count(CanvasOp::Kind(drawnKind)) > 0);
        QVERIFY(f.model.ElementsDrawn > 0);
        QVERIFY(f.model.ElementsDrawn < 77);
    }
}

void RunProtocolTest::pauseBeforeElementDrawsNothing_data() {
    addAlgorithmColumns();
    QTest::addColumn<int>("drawnBeforeFirstElement"); // figures drawn with no pause test

    QTest::newRow("Cantor recursive: top bar") << 0 << 0 << 1;
    QTest::newRow("Cantor demo: top bar") << 0 << 3 << 1;
    QTest::newRow("Cross: base line") << 1 << 0 << 1;
    QTest::newRow("gadget recursive: whole triangle") << 2 << 0 << 1;
    QTest::newRow("gadget chaos game") << 2 << 1 << 0;
    QTest::newRow("gadget demo: start point") << 2 << 3 << 1;
}

void RunProtocolTest::pauseBeforeElementDrawsNothing() {
    QFETCH(int, type);
    QFETCH(int, mode);
    QFETCH(int, drawnBeforeFirstElement);
    RunFixture f;
    setUpFigures(f.model);
    setMode(f.model, std::uint8_t(type), std::uint8_t(mode));
    f.model.GlobalState = zv::PauseMode;
    int pauseWakeUps = 0;
    int drawnWhilePaused = -1;
    f.onPauseWakeUp([&] {
        if (++pauseWakeUps == 5) {
            drawnWhilePaused = drawingCount(f.canvas);
            f.model.GlobalState = zv::WorkingMode;
        }
    });

    f.draw(std::uint8_t(type));

    QCOMPARE(pauseWakeUps, 5);
    QCOMPARE(drawnWhilePaused, drawnBeforeFirstElement);
    QVERIFY(drawingCount(f.canvas) > drawnBeforeFirstElement);
    QCOMPARE(f.host.pauseSwitches, 0);
}

void RunProtocolTest::singleStepDrawsOneElementPerResume_data() {
    addAlgorithmColumns();
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("opsPerElement");
    QTest::addColumn<int>("elements"); // elements that wait for a resume

    QTest::newRow("Cantor recursive") << 0 << 0 << 2 << 1 << 6;
    QTest::newRow("Cantor demo") << 0 << 3 << 2 << 2 << 3;
    QTest::newRow("Cross") << 1 << 0 << 2 << 1 << 5;
    QTest::newRow("gadget recursive") << 2 << 0 << 2 << 1 << 4;
    QTest::newRow("gadget chaos game") << 2 << 1 << 12 << 1 << 12;
    QTest::newRow("gadget demo") << 2 << 3 << 3 << 2 << 3;
}

void RunProtocolTest::singleStepDrawsOneElementPerResume() {
    QFETCH(int, type);
    QFETCH(int, mode);
    QFETCH(int, depth);
    QFETCH(int, opsPerElement);
    QFETCH(int, elements);
    RunFixture f;
    setUpFigures(f.model);
    setMode(f.model, std::uint8_t(type), std::uint8_t(mode));
    f.model.CalcDepth = depth;
    f.model.PauseAfterEachOp = true;
    f.model.GlobalState = zv::PauseMode; // as the draw command starts a single-step run
    QList<int> drawnAtEachWait;
    f.onPauseWakeUp([&] {
        drawnAtEachWait << drawingCount(f.canvas);
        f.model.GlobalState = zv::WorkingMode; // the user presses S
    });

    f.draw(std::uint8_t(type));

    QCOMPARE(drawnAtEachWait.size(), elements);
    drawnAtEachWait << drawingCount(f.canvas);
    for (int i = 1; i < drawnAtEachWait.size(); ++i) {
        QCOMPARE(drawnAtEachWait[i] - drawnAtEachWait[i - 1], opsPerElement);
    }
    QCOMPARE(f.host.pauseSwitches, elements);
    QCOMPARE(f.model.GlobalState, zv::PauseMode);
}

void RunProtocolTest::cancelWhilePausedDrawsNothingMore_data() {
    addAlgorithmColumns();
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("pauseAtYield");

    QTest::newRow("Cantor recursive, deep in a branch") << 0 << 0 << 4 << 3;
    QTest::newRow("Cantor demo") << 0 << 3 << 4 << 2;
    QTest::newRow("Cross, deep in a branch") << 1 << 0 << 4 << 3;
    QTest::newRow("gadget recursive, deep in a branch") << 2 << 0 << 4 << 3;
    QTest::newRow("gadget chaos game") << 2 << 1 << 40 << 1;
    QTest::newRow("gadget demo") << 2 << 3 << 4 << 2;
}

void RunProtocolTest::cancelWhilePausedDrawsNothingMore() {
    QFETCH(int, type);
    QFETCH(int, mode);
    QFETCH(int, depth);
    QFETCH(int, pauseAtYield);
    RunFixture f;
    setUpFigures(f.model);
    setMode(f.model, std::uint8_t(type), std::uint8_t(mode));
    f.model.CalcDepth = depth;
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
    QCOMPARE(f.model.GlobalState, zv::EditMode);
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
    QTest::newRow("the 15th element writes 15")
        << false << 1 << 15 << false << QStringList{e + "15"};
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
        if (recursions) {
            run.CountRecursions(step);
        } else {
            run.CountElements(step);
        }
    }

    QStringList written;
    for (const std::string& t : recursions ? f.host.recursionsTexts : f.host.elementsTexts) {
        written << QString::fromStdString(t);
    }
    QCOMPARE(written, texts);
    QVERIFY((recursions ? f.host.elementsTexts : f.host.recursionsTexts).empty());
    QCOMPARE(recursions ? f.model.RecursionsDone : f.model.ElementsDrawn,
             std::int64_t(step) * times);
    // The 10 ms pause belongs to the elements text alone, right before it.
    int tenMsSleeps = 0;
    for (std::size_t i = 0; i < f.host.log.size(); ++i) {
        if (f.host.log[i] == "sleep 10") {
            ++tenMsSleeps;
            QVERIFY(i + 1 < f.host.log.size());
            QVERIFY(f.host.log[i + 1].rfind("E:", 0) == 0);
        }
    }
    QCOMPARE(tenMsSleeps, recursions ? 0 : int(texts.size()));
    QCOMPARE(f.host.sleeps.size(), std::size_t(tenMsSleeps));
}

QTEST_APPLESS_MAIN(RunProtocolTest)
#include "tst_runprotocol.moc"
