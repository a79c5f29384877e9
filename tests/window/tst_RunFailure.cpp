// A drawing run that fails half-way (memory running out for a huge figure, or
// any other error below the engine) is not swallowed: the user is told, the
// window is back in editing before the box shows, every parameter is as it
// was, and the next run draws.

#include "../DataRows.h"
#include "WindowTestSupport.h"

#include "ImageCanvas.h"

#include <new>
#include <stdexcept>

using namespace zvtest;

namespace {

// A drawing area whose drawing operation number `drawnBefore` + 1 throws
// std::bad_alloc where outOfMemory, else a std::runtime_error.
struct FailingCanvas : zv::ImageCanvas {
    FailingCanvas(int drawnBefore, bool outOfMemory)
        : ImageCanvas(200, 250), left(drawnBefore), outOfMemory(outOfMemory) {}
    int left;
    bool outOfMemory;

    void drawing() {
        if (left-- == 0) {
            outOfMemory ? throw std::bad_alloc()
                        : throw std::runtime_error("the drawing area went away");
        }
    }
    void Line(float, float, float, float, std::int32_t) override { drawing(); }
    void Box(float, float, float, float, std::int32_t) override { drawing(); }
    void Circle(float, float, float, std::int32_t) override { drawing(); }
    void SetPixelV(std::int32_t, std::int32_t, std::int32_t) override { drawing(); }
    void Polygon(std::span<const zv::IntPoint>) override { drawing(); }
};

} // namespace

class tst_RunFailure : public QObject {
    Q_OBJECT
    FormFixture f;

private slots:
    void initTestCase() { QVERIFY(f.open()); }

    void failedRun_data() {
        // drawnBefore: the drawing operations that succeed first
        columns<int, int, int, int, bool>("type", "mode", "depth", "drawnBefore", "outOfMemory");
        row("memory, at the first bar", +zv::CantorSetType, +zv::RecursiveMode, 4, 0, true);
        row("memory, half-way through the curve", +zv::KochCurveType, +zv::RecursiveMode, 3, 40,
            true);
        row("another error, in the chaos game", +zv::SierpinskyGadgetType, +zv::ChaosGameMode, 300,
            25, false);
    }
    void failedRun() {
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(int, depth);
        QFETCH(int, drawnBefore);
        QFETCH(bool, outOfMemory);
        f.dialogs.calls.clear();
        QVERIFY(f.prepare(type, mode, depth));
        f.draw(); // a complete run stores the window's values in the model
        const zv::ParameterModel before = f.model;

        QString shownBehind; // what the user sees behind the box while it is open
        f.dialogs.whileMessage = [&] {
            shownBehind = QString::number(f.model.GlobalState) + f.button("Draw_btn")->text() +
                          (f.find("FixPoints_frm")->isEnabled() ? "1" : "0");
        };
        FailingCanvas failing(drawnBefore, outOfMemory);
        f.model.Canvas = &failing; // the run catches what the canvas throws, so no guard
        f.draw();
        f.model.Canvas = before.Canvas;
        f.dialogs.whileMessage = [] {};

        QCOMPARE(f.dialogs.shown(),
                 QStringList{outOfMemory ? "box Drawing stopped: The memory ran out; the picture "
                                           "shows what was drawn until then."
                                         : "box Drawing stopped: The drawing failed: the drawing "
                                           "area went away"});
        QVERIFY(f.dialogs.calls[0].icon == zv::MessageIcon::Exclamation);
        QCOMPARE(shownBehind, QString("0&Draw Fractal1"));
        QVERIFY(f.model.ElementsDrawn <= drawnBefore);
        QCOMPARE(failing.MousePointer(), zv::DefaultPointer);
        QVERIFY(static_cast<const zv::FractalParameters&>(f.model) == before);
        QVERIFY(f.model.CalcDepth == before.CalcDepth && f.model.ForeColor == before.ForeColor);

        // The window draws on: the next run is a whole one, without a box.
        f.draw();
        QCOMPARE(f.model.ElementsDrawn, before.ElementsDrawn);
        QCOMPARE(f.dialogs.calls.size(), 1);
    }
};

QTEST_MAIN(tst_RunFailure)
#include "tst_RunFailure.moc"
