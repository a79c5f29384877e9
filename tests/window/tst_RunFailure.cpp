// A drawing run that fails half-way (memory running out for a huge figure, or
// any other error below the engine) is not swallowed: the user is told, the
// window is back in editing before the box shows, every parameter is as it
// was, and the next run draws.

#include "WindowTestSupport.h"

#include "ImageCanvas.h"

#include <new>
#include <stdexcept>

using namespace zvtest;

namespace {

struct Failure {
    const char* tag;
    int type;
    int mode;
    int depth;
    int drawnBeforeFailure; // drawing operations that succeed first
    bool outOfMemory;       // std::bad_alloc, else a std::runtime_error
};

// A drawing area whose drawing operation number `drawnBeforeFailure` + 1
// throws.
struct FailingCanvas : zv::ImageCanvas {
    explicit FailingCanvas(const Failure& r) : ImageCanvas(200, 250), row(r) {}
    const Failure& row;
    int drawn = 0;

    void drawing() {
        if (drawn++ == row.drawnBeforeFailure) {
            row.outOfMemory ? throw std::bad_alloc()
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

Q_DECLARE_METATYPE(Failure)

class tst_RunFailure : public QObject {
    Q_OBJECT
    FormFixture f;

private slots:
    void initTestCase() { QVERIFY(f.open()); }

    void failedRun_data() {
        table<Failure>({
            {"memory, at the first bar", zv::CantorSetType, zv::RecursiveMode, 4, 0, true},
            {"memory, half-way through the curve", zv::KochCurveType, zv::RecursiveMode, 3, 40,
             true},
            {"another error, in the chaos game", zv::SierpinskyGadgetType, zv::ChaosGameMode, 300,
             25, false},
        });
    }
    void failedRun() {
        QFETCH(Failure, row);
        f.dialogs.calls.clear();
        QVERIFY(f.prepare(row.type, row.mode, row.depth));
        f.draw(); // a complete run stores the window's values in the model
        const zv::ParameterModel before = f.model;

        QString shownBehind; // what the user sees behind the box while it is open
        f.dialogs.whileMessage = [&] {
            shownBehind = QString::number(f.model.GlobalState) + f.button("Draw_btn")->text() +
                          (f.find("FixPoints_frm")->isEnabled() ? "1" : "0");
        };
        FailingCanvas failing(row);
        f.model.Canvas = &failing; // the run catches what the canvas throws, so no guard
        f.draw();
        f.model.Canvas = before.Canvas;
        f.dialogs.whileMessage = [] {};

        QCOMPARE(f.dialogs.calls.size(), 1);
        const DialogCall& box = f.dialogs.calls.first();
        QCOMPARE(box.title + ' ' + box.text,
                 row.outOfMemory
                     ? "Drawing stopped: The memory ran out; the picture shows what was drawn "
                       "until then."
                     : "Drawing stopped: The drawing failed: the drawing area went away");
        QVERIFY(box.icon == zv::MessageIcon::Exclamation);
        QCOMPARE(shownBehind, QString("0&Draw Fractal1"));
        QVERIFY(f.model.ElementsDrawn <= row.drawnBeforeFailure);
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
