// Engine throughput without a window: a canvas that draws nothing and a host
// that never sleeps or yields, so the figures are the engine's own cost per
// element. Prints one line per figure, "name: value unit"; never fails on time.
// Time is the thread's CPU time, so other programs on a busy machine change
// the figures less than they would change wall time.

#include "Canvas.h"
#include "DrawFractal.h"
#include "ParameterModel.h"
#include "Random.h"
#include "RunHost.h"

#include <sys/resource.h>

#include <charconv>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace {

class NullCanvas : public zv::Canvas {
public:
    void Clear() override {}
    void SetMousePointer(int) override {}
    void Line(float, float, float, float, std::int32_t) override {}
    void Box(float, float, float, float, std::int32_t) override {}
    void Circle(float, float, float, std::int32_t) override {}
    void SetPixelV(std::int32_t, std::int32_t, std::int32_t) override {}
    void Polygon(std::span<const zv::IntPoint>) override {}
    void SetFillColor(std::int32_t) override {}
    std::int32_t ForeColor() const override { return 0; }
    float ScaleWidth() const override { return 1000; }
    float ScaleHeight() const override { return 1000; }
    void Refresh() override {}
};

// Stops the run (as the cancel button would) once stopAfter elements are drawn.
class NullHost : public zv::RunHost {
public:
    explicit NullHost(zv::ParameterModel& model) : model_(model) {}
    std::int64_t stopAfter = -1;

    // Like the renderer's host, unless it has to stop the run.
    bool YieldsToEvents() const override { return stopAfter >= 0; }
    void YieldToEvents() override {
        if (stopAfter >= 0 && model_.ElementsDrawn >= stopAfter) {
            model_.GlobalState = zv::EditMode;
        }
    }
    void Sleep(int) override {}
    void EnterPauseMode() override {}
    void SetElementsText(std::string_view) override {}
    void SetRecursionsText(std::string_view) override {}
    std::int32_t BackColor() const override { return 0xFFFFFF; }

private:
    zv::ParameterModel& model_;
};

// Locale-independent, like every number the program prints.
std::string format(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

void report(const char* name, double value, int decimals, const char* unit) {
    std::printf("%s: %s %s\n", name, format(value, decimals).c_str(), unit);
    std::fflush(stdout);
}

struct Bench {
    zv::ParameterModel model;
    NullCanvas canvas;
    NullHost host{model};
    zv::RandomSource random{1};

    Bench() {
        model.Canvas = &canvas;
        model.ForeColor = 0x00FF00;
    }

    // Draws the figure again and again for at least minSeconds; elements per second.
    double elementsPerSecond(std::uint8_t type, double minSeconds) {
        const double start = cpuSeconds();
        std::int64_t elements = 0;
        double seconds = 0;
        do {
            model.GlobalState = zv::WorkingMode;
            zv::DrawFractal(model, type, host, random);
            elements += model.ElementsDrawn;
            seconds = cpuSeconds() - start;
        } while (seconds < minSeconds);
        return static_cast<double>(elements) / seconds;
    }

    static double cpuSeconds() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
};

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // Linux reports KiB
}

} // namespace

int main() {
    constexpr double minSeconds = 1.0;
    {
        Bench b;
        b.model.CalcDepth = 8;
        b.model.KochCurve.DrawMode = zv::RecursiveMode;
        b.model.KochCurve.FixPoints = {{0, 500}, {1000, 500}};
        report("koch_recursive_d8", b.elementsPerSecond(zv::KochCurveType, minSeconds), 0,
               "elements/s");
    }
    {
        Bench b;
        b.model.CalcDepth = 7;
        b.model.LSystem.FixPoints = {{{500, 1000}, {500, 0}}};
        b.model.LSystem.InitiatorString = "F";
        b.model.LSystem.GeneratorString = "F[+F]F[-F]F";
        b.model.LSystem.LineLength = 0.1;
        b.model.LSystem.Delta = 25;
        report("lsystem_plant_d7", b.elementsPerSecond(zv::LSystemType, minSeconds), 0,
               "elements/s");
    }
    {
        Bench b;
        b.model.CalcDepth = 32766;
        b.model.SierpinskyGadget.DrawMode = zv::ChaosGameMode;
        b.model.SierpinskyGadget.FixPoints = {{{500, 0}, {0, 1000}, {1000, 1000}}};
        report("chaos_game_d32766", b.elementsPerSecond(zv::SierpinskyGadgetType, minSeconds), 0,
               "elements/s");
    }
    {
        // Seven passes of 20 "F" would be 1.28e9 characters; the run is
        // cancelled after 1e8 of them.
        Bench b;
        b.model.CalcDepth = 7;
        b.model.LSystem.FixPoints = {{{0, 500}, {1000, 500}}};
        b.model.LSystem.InitiatorString = "F";
        b.model.LSystem.GeneratorString = std::string(20, 'F');
        b.model.LSystem.LineLength = 1e-6;
        b.host.stopAfter = 100'000'000;
        report("lsystem_f20_1e8_elements_per_second", b.elementsPerSecond(zv::LSystemType, 0), 0,
               "elements/s");
        report("lsystem_f20_1e8_elements_drawn", static_cast<double>(b.model.ElementsDrawn), 0,
               "elements");
        report("lsystem_f20_1e8_peak_rss", peakResidentMegabytes(), 1, "MB");
    }
    {
        // A long walk that draws almost nothing: ten "F" and 1000 "X", whose
        // characters are elements all the same (1.1e8 of them).
        Bench b;
        b.model.CalcDepth = 6;
        b.model.LSystem.FixPoints = {{{0, 500}, {1000, 500}}};
        b.model.LSystem.InitiatorString = "F";
        b.model.LSystem.GeneratorString = std::string(10, 'F') + std::string(1000, 'X');
        b.model.LSystem.LineLength = 1e-6;
        report("lsystem_x1000_d6", b.elementsPerSecond(zv::LSystemType, 0), 0, "elements/s");
    }
    return 0;
}
