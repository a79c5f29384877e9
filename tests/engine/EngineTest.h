#pragma once
// One drawing run against a test double that is both the canvas and the host.
// Every call lands in one trace, in order: drawing operations as text
// ("line 0,100 200,100", "circle 5,6 2", "poly 1,2 3,4 5,6", colour as " #hex"
// with red in the low byte, left out when it is Pen) and host calls ("yield",
// "sleep 100", "E:<elements text>", "R:<recursions text>").
#include "DrawFractal.h"
#include "DrawRun.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTest>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace zvtest {

inline constexpr std::int32_t Pen = 0x345678;
inline constexpr std::int32_t MaxLong = std::numeric_limits<std::int32_t>::max();
inline const double Inf = std::numeric_limits<double>::infinity();
inline const double NaN = std::numeric_limits<double>::quiet_NaN();

// Any figure: pts are the fix points (Cantor: left end, right end; gadget:
// three corners, the third (100, 0) if left out; L-system: start and heading
// point); param is the Cantor ElementsCount, the cross's decrease factor or the
// L-system's turn in degrees.
struct Figure {
    int type = 0, mode = 0, depth = 1;
    std::vector<zv::FixPoint> pts{{0, 10}, {300, 10}, {100, 0}};
    double param = 0;
    bool closed = false;
    std::string init = "F", gen = "F[+F]F[-F]F";
};

struct Run : zv::Canvas, zv::RunHost {
    zv::ParameterModel model;
    zv::RandomSource random{20261206};
    QStringList trace, ops; // ops: only what put something on the canvas
    std::int32_t fill = 0, backColor = 0xFFFFFF;
    int yields = 0;
    std::function<void(int)> onYield = [](int) {}; // at every yield, numbered from 1

    Run() {
        model.Canvas = this;
        model.GlobalState = zv::WorkingMode;
        model.ForeColor = Pen;
    }
    void draw(const Figure& f) {
        auto& m = model;
        const auto& p = f.pts;
        const auto mode = std::uint8_t(f.mode);
        m.CalcDepth = f.depth;
        // param is also the cross's factor (up to 1e9): clamp before it becomes a Byte.
        m.CantorSet = {mode, {{p[0], p[1]}}, 20, std::uint8_t(std::clamp(f.param, 0.0, 255.0))};
        m.Cross = {mode, p, f.closed, f.param};
        m.SierpinskyGadget = {mode, {{p[0], p[1], p.size() >= 3 ? p[2] : zv::FixPoint{100, 0}}}};
        m.KochCurve = {mode, p, f.closed};
        m.LSystem = {{{p[0], p[1]}}, f.init, f.gen, 10, f.param};
        zv::DrawFractal(m, std::uint8_t(f.type), *this, random);
    }
    // A yield that is the wake-up of a paused run: right after its 100 ms sleep
    // (the gadget demo's own sleep is followed by a refresh).
    bool wakingUp() const { return trace.size() >= 2 && trace[trace.size() - 2] == "sleep 100"; }

    // "what x,y x,y ..." from coordinate pairs (a lone last value stands alone), then the colour.
    void put(const char* what, const std::vector<double>& v, std::int32_t color) {
        QString s = what;
        for (std::size_t i = 0; i < v.size(); ++i) {
            s += (i % 2 == 0 ? ' ' : ',') + QString::number(v[i]);
        }
        ops << s + (color == Pen ? QString() : " #" + QString::number(color, 16));
        trace << ops.last();
    }
    void Clear() override { trace << "clear"; }
    void SetMousePointer(int p) override { trace << "pointer " + QString::number(p); }
    void Line(float a, float b, float c, float d, int k) override { put("line", {a, b, c, d}, k); }
    void Box(float a, float b, float c, float d, int k) override { put("box", {a, b, c, d}, k); }
    void Circle(float x, float y, float r, int k) override { put("circle", {x, y, r}, k); }
    void SetPixelV(int x, int y, int k) override { put("pixel", {double(x), double(y)}, k); }
    void Polygon(std::span<const zv::IntPoint> pts) override {
        std::vector<double> xy;
        for (const zv::IntPoint& q : pts) {
            xy.insert(xy.end(), {double(q.x), double(q.y)});
        }
        put("poly", xy, fill);
    }
    void SetFillColor(std::int32_t col) override { fill = col; }
    std::int32_t ForeColor() const override { return 0xabcdef; }
    float ScaleWidth() const override { return 270; }
    float ScaleHeight() const override { return 300; }
    void Refresh() override { trace << "refresh"; }

    void YieldToEvents() override {
        trace << "yield";
        onYield(++yields);
    }
    void Sleep(int ms) override { trace << "sleep " + QString::number(ms); }
    void EnterPauseMode() override { model.GlobalState = zv::PauseMode; }
    void SetElementsText(std::string_view t) override { trace << "E:" + QString::fromLatin1(t); }
    void SetRecursionsText(std::string_view t) override { trace << "R:" + QString::fromLatin1(t); }
    std::int32_t BackColor() const override { return backColor; }
};

} // namespace zvtest

Q_DECLARE_METATYPE(zvtest::Figure)
