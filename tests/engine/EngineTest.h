#pragma once
// One drawing run against a test double that is both the canvas and the host.
// Every call lands in one trace, in order: drawing operations as text
// ("line 0,100 200,100", "poly 1,2 3,4 5,6", colour as " #hex" with red in the
// low byte, left out when it is Pen) and host calls ("yield", "sleep 100",
// "E:<elements text>", "R:<recursions text>").
#include "DrawFractal.h"
#include "DrawRun.h"
#include "Random.h"
#include <algorithm>

#include <QRegularExpression>
#include <QStringList>
#include <QTest>
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
// three corners; L-system: start and heading point); param is the Cantor
// ElementsCount, the cross's decrease factor or the L-system's turn in degrees.
struct Figure {
    int type = 0, mode = 0, depth = 1;
    std::vector<zv::FixPoint> pts{{0, 10}, {300, 10}, {100, 0}};
    double param = 0;
    bool closed = false;
    std::string init = "F", gen = "F[+F]F[-F]F";
};

inline QString pt(double x, double y) {
    return QString::number(x) + ',' + QString::number(y);
}

struct Run : zv::Canvas, zv::RunHost {
    zv::ParameterModel model;
    zv::RandomSource random{20261206};
    QStringList trace;
    float width = 300, height = 300;
    std::int32_t fill = 0, backColor = 0xFFFFFF;
    int yields = 0, pauseSwitches = 0;
    std::function<void(int)> onYield; // at every yield, numbered from 1

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
        if (p.size() >= 3) {
            m.SierpinskyGadget = {mode, {{p[0], p[1], p[2]}}};
        }
        m.KochCurve = {mode, p, f.closed};
        m.LSystem = {{{p[0], p[1]}}, f.init, f.gen, 10, f.param};
        zv::DrawFractal(m, std::uint8_t(f.type), *this, random);
    }
    // The operations that put something on the canvas.
    QStringList drawn() const {
        QStringList out;
        for (const QString& s : trace) {
            if (s.startsWith("line") || s.startsWith("box") || s.startsWith("circle") ||
                s.startsWith("pixel") || s.startsWith("poly")) {
                out << s;
            }
        }
        return out;
    }
    // Calls wake() at every wake-up of a paused run: its 100 ms sleep and the
    // yield right after it (the gadget demo's own sleep is followed by a refresh).
    void onPauseWakeUp(std::function<void()> wake) {
        onYield = [this, wake](int) {
            if (trace.size() >= 2 && trace[trace.size() - 2] == "sleep 100") {
                wake();
            }
        };
    }

    void put(QString s, std::int32_t color) {
        trace << (color == Pen ? s : s + " #" + QString::number(color, 16));
    }
    void Clear() override { trace << "clear"; }
    void SetMousePointer(int p) override { trace << "pointer " + QString::number(p); }
    void Line(float a, float b, float c, float d, std::int32_t col) override {
        put("line " + pt(a, b) + ' ' + pt(c, d), col);
    }
    void Box(float a, float b, float c, float d, std::int32_t col) override {
        put("box " + pt(a, b) + ' ' + pt(c, d), col);
    }
    void Circle(float x, float y, float r, std::int32_t col) override {
        put("circle " + pt(x, y) + " r" + QString::number(r), col);
    }
    void SetPixelV(std::int32_t x, std::int32_t y, std::int32_t col) override {
        put("pixel " + pt(x, y), col);
    }
    void Polygon(std::span<const zv::IntPoint> pts) override {
        QString s = "poly";
        for (const zv::IntPoint& q : pts) {
            s += ' ' + pt(q.x, q.y);
        }
        put(s, fill);
    }
    void SetFillColor(std::int32_t col) override { fill = col; }
    std::int32_t ForeColor() const override { return 0xabcdef; }
    float ScaleWidth() const override { return width; }
    float ScaleHeight() const override { return height; }
    void Refresh() override { trace << "refresh"; }

    void YieldToEvents() override {
        trace << "yield";
        ++yields;
        if (onYield) {
            onYield(yields);
        }
    }
    void Sleep(int ms) override { trace << "sleep " + QString::number(ms); }
    void EnterPauseMode() override {
        ++pauseSwitches;
        model.GlobalState = zv::PauseMode;
    }
    void SetElementsText(std::string_view t) override {
        trace << "E:" + QString::fromLatin1(t.data(), qsizetype(t.size()));
    }
    void SetRecursionsText(std::string_view t) override {
        trace << "R:" + QString::fromLatin1(t.data(), qsizetype(t.size()));
    }
    std::int32_t BackColor() const override { return backColor; }
};

} // namespace zvtest

Q_DECLARE_METATYPE(zvtest::Figure)
