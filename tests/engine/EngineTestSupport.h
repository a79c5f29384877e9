#pragma once
// Test doubles for the engine: a canvas that records every operation with its
// arguments and colour, and a host whose yields run a script.

#include "Canvas.h"
#include "ParameterModel.h"
#include "RunHost.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zvtest {

struct CanvasOp {
    enum Kind { Clear, Pointer, Line, Box, Circle, Pixel, Polygon, Fill, Refresh };
    Kind kind;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0; // Line/Box corners; Circle centre + radius in x2
    std::int32_t color = 0;               // Line/Box/Circle/Pixel colour, Fill colour, pointer
    std::vector<zv::IntPoint> points{};   // Polygon corners; Pixel in points[0]
};

class RecordingCanvas : public zv::Canvas {
public:
    std::vector<CanvasOp> ops;
    float width = 300, height = 300;
    std::int32_t foreColor = 0;

    void Clear() override { ops.push_back({CanvasOp::Clear}); }
    void SetMousePointer(int p) override {
        ops.push_back({CanvasOp::Pointer, 0, 0, 0, 0, p, {}});
    }
    void Line(float a, float b, float c, float d, std::int32_t col) override {
        ops.push_back({CanvasOp::Line, a, b, c, d, col, {}});
    }
    void Box(float a, float b, float c, float d, std::int32_t col) override {
        ops.push_back({CanvasOp::Box, a, b, c, d, col, {}});
    }
    void Circle(float x, float y, float r, std::int32_t col) override {
        ops.push_back({CanvasOp::Circle, x, y, r, 0, col, {}});
    }
    void SetPixelV(std::int32_t x, std::int32_t y, std::int32_t col) override {
        ops.push_back({CanvasOp::Pixel, 0, 0, 0, 0, col, {{x, y}}});
    }
    void Polygon(std::span<const zv::IntPoint> pts) override {
        ops.push_back({CanvasOp::Polygon, 0, 0, 0, 0, fill, {pts.begin(), pts.end()}});
    }
    void SetFillColor(std::int32_t col) override {
        fill = col;
        ops.push_back({CanvasOp::Fill, 0, 0, 0, 0, col, {}});
    }
    std::int32_t ForeColor() const override { return foreColor; }
    float ScaleWidth() const override { return width; }
    float ScaleHeight() const override { return height; }
    void Refresh() override { ops.push_back({CanvasOp::Refresh}); }

    std::vector<CanvasOp> only(CanvasOp::Kind kind) const {
        std::vector<CanvasOp> out;
        for (const CanvasOp& op : ops) {
            if (op.kind == kind) {
                out.push_back(op);
            }
        }
        return out;
    }
    int count(CanvasOp::Kind kind) const { return static_cast<int>(only(kind).size()); }

private:
    std::int32_t fill = 0;
};

// Every host call is logged in order; onYield runs at each yield (numbered from
// 1) and may change model.GlobalState the way the window's handlers would.
class ScriptedHost : public zv::RunHost {
public:
    explicit ScriptedHost(zv::ParameterModel& model) : model(model) {}

    zv::ParameterModel& model;
    std::int32_t backColor = 0xFFFFFF;
    std::function<void(int)> onYield;
    std::function<void()> onSleep;
    int yields = 0;
    int pauseSwitches = 0;
    std::vector<int> sleeps;
    std::vector<std::string> elementsTexts;
    std::vector<std::string> recursionsTexts;
    std::vector<std::string> log; // "yield", "sleep 10", "E:<text>", "R:<text>", "pause"

    void YieldToEvents() override {
        ++yields;
        log.push_back("yield");
        if (onYield) {
            onYield(yields);
        }
    }
    void Sleep(int ms) override {
        sleeps.push_back(ms);
        log.push_back("sleep " + std::to_string(ms));
        if (onSleep) {
            onSleep();
        }
    }
    void EnterPauseMode() override {
        ++pauseSwitches;
        log.push_back("pause");
        model.GlobalState = zv::PauseMode;
    }
    void SetElementsText(const std::string& t) override {
        elementsTexts.push_back(t);
        log.push_back("E:" + t);
    }
    void SetRecursionsText(const std::string& t) override {
        recursionsTexts.push_back(t);
        log.push_back("R:" + t);
    }
    std::int32_t BackColor() const override { return backColor; }
};

} // namespace zvtest
