// A drawing run that fails half-way (memory running out for a huge figure, or
// any other error below the engine) is not swallowed: the user is told, the
// window is back in editing before the box shows, every parameter is as it
// was, and the next run draws.

#include "WindowTestSupport.h"

#include "Canvas.h"

#include <new>
#include <stdexcept>

using namespace zvtest;

namespace {

struct Failure {
    const char* tag;
    int type;
    int mode;
    const char* depth;
    int drawnBeforeFailure; // drawing operations that succeed first
    bool outOfMemory;       // std::bad_alloc, else a std::runtime_error
    const char* text;       // the box's text
};

// A drawing area whose drawing operation number `drawnBeforeFailure` + 1
// throws; it keeps only the mouse pointer.
class FailingCanvas : public zv::Canvas {
public:
    explicit FailingCanvas(const Failure& row) : row_(row) {}
    int pointer = zv::DefaultPointer;

    void Clear() override {}
    void SetMousePointer(int p) override { pointer = p; }
    void Line(float, float, float, float, std::int32_t) override { drawing(); }
    void Box(float, float, float, float, std::int32_t) override { drawing(); }
    void Circle(float, float, float, std::int32_t) override { drawing(); }
    void SetPixelV(std::int32_t, std::int32_t, std::int32_t) override { drawing(); }
    void Polygon(std::span<const zv::IntPoint>) override { drawing(); }
    void SetFillColor(std::int32_t) override {}
    std::int32_t ForeColor() const override { return 0; }
    float ScaleWidth() const override { return 200; }
    float ScaleHeight() const override { return 250; }
    void Refresh() override {}

private:
    void drawing() {
        if (drawn_++ == row_.drawnBeforeFailure) {
            if (row_.outOfMemory) {
                throw std::bad_alloc();
            }
            throw std::runtime_error("the drawing area went away");
        }
    }

    const Failure& row_;
    int drawn_ = 0;
};

// The model draws on the failing canvas for one test, and on the window's own again after it.
struct CanvasSwap {
    zv::ParameterModel& model;
    zv::Canvas* real;
    CanvasSwap(zv::ParameterModel& m, zv::Canvas& replacement) : model(m), real(m.Canvas) {
        model.Canvas = &replacement;
    }
    ~CanvasSwap() { model.Canvas = real; }
};

} // namespace

Q_DECLARE_METATYPE(Failure)

class tst_RunFailure : public QObject {
    Q_OBJECT
    FormFixture f;

private slots:
    void initTestCase() { QVERIFY(f.open()); }

    void failedRun_data() {
        const char* memory = "The memory ran out; the picture shows what was drawn until then.";
        table<Failure>({
            {"memory, at the first bar", zv::CantorSetType, zv::RecursiveMode, "4", 0, true,
             memory},
            {"memory, half-way through the curve", zv::KochCurveType, zv::RecursiveMode, "3", 40,
             true, memory},
            {"another error, in the chaos game", zv::SierpinskyGadgetType, zv::ChaosGameMode,
             "300", 25, false, "The drawing failed: the drawing area went away"},
        });
    }
    void failedRun() {
        QFETCH(Failure, row);
        f.dialogs.calls.clear();
        f.model.CantorSet.DrawMode = zv::RecursiveMode;
        f.model.KochCurve.DrawMode = zv::RecursiveMode;
        f.model.SierpinskyGadget.DrawMode = std::uint8_t(row.mode);
        QVERIFY(f.selectType(row.type));
        f.find<QLineEdit>("CalcDepth_txt")->setText(row.depth);
        auto* draw = f.find<QPushButton>("Draw_btn");
        draw->click(); // a complete run stores the window's values in the model
        const zv::ParameterModel before = f.model;

        // What the user sees behind the box while it is open.
        QString shownBehind;
        f.dialogs.whileMessage = [&] {
            shownBehind = QString("%1 %2 %3")
                              .arg(f.model.GlobalState)
                              .arg(draw->text())
                              .arg(int(f.find<QWidget>("FixPoints_frm")->isEnabled()));
        };
        FailingCanvas failing(row);
        {
            CanvasSwap swap(f.model, failing);
            draw->click();
        }
        f.dialogs.whileMessage = [] {};

        QCOMPARE(f.dialogs.calls.size(), 1);
        const DialogCall& box = f.dialogs.calls.first();
        QCOMPARE(box.title, QString("Drawing stopped:"));
        QCOMPARE(box.text, QString(row.text));
        QVERIFY(box.icon == zv::MessageIcon::Exclamation);
        QCOMPARE(shownBehind, QString("0 &Draw Fractal 1"));
        QVERIFY(f.model.ElementsDrawn <= row.drawnBeforeFailure);
        QCOMPARE(failing.pointer, zv::DefaultPointer);
        QVERIFY(static_cast<const zv::FractalParameters&>(f.model) == before);
        QCOMPARE(f.model.CalcDepth, before.CalcDepth);
        QCOMPARE(f.model.ForeColor, before.ForeColor);

        // The window draws on: the next run is a whole one, without a box.
        draw->click();
        QCOMPARE(f.model.ElementsDrawn, before.ElementsDrawn);
        QCOMPARE(f.dialogs.calls.size(), 1);
    }
};

QTEST_MAIN(tst_RunFailure)
#include "tst_RunFailure.moc"
