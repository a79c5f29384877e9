#pragma once
// One drawing run against the recording canvas and the scripted host, with the
// model bound and in WorkingMode as the draw command leaves it.

#include "DrawFractal.h"
#include "EngineTestSupport.h"
#include "ParameterModel.h"
#include "Random.h"

#include <QStringList>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

namespace zvtest {

inline constexpr std::int32_t TestForeColor = 0x345678;
inline constexpr std::int32_t MaxLong = std::numeric_limits<std::int32_t>::max();

struct RunFixture {
    zv::ParameterModel model;
    RecordingCanvas canvas;
    ScriptedHost host{model};
    zv::RandomSource random{20261206};
    std::size_t opsAtSleep = 0;

    RunFixture() {
        model.Canvas = &canvas;
        model.GlobalState = zv::WorkingMode;
        model.ForeColor = TestForeColor;
    }

    void draw(std::uint8_t type) { zv::DrawFractal(model, type, host, random); }

    // Calls wake() at every wake-up of a paused run (its 100 ms sleep and the
    // yield right after it); wake may change GlobalState as the user's key would.
    // The gadget demo's own 100 ms sleep is told apart by the refresh that
    // follows it.
    void onPauseWakeUp(std::function<void()> wake) {
        host.onSleep = [this] { opsAtSleep = canvas.ops.size(); };
        host.onYield = [this, wake](int) {
            const auto& log = host.log;
            if (log.size() >= 2 && log[log.size() - 2] == "sleep 100" &&
                canvas.ops.size() == opsAtSleep) {
                wake();
            }
        };
    }

    // Cancels the run (as the draw button does) at the given yield.
    void cancelAtYield(int n) {
        host.onYield = [this, n](int y) {
            if (y >= n) {
                model.GlobalState = zv::EditMode;
            }
        };
    }
};

// The operations that put something on the canvas, one line each, e.g.
// "box 0,10 300,30", "poly 1,2 3,4 5,6 #e0e0e0" (the fill), "circle 5,6 r2 #ff00";
// the colour (hex, red in the low byte) is left out when it is TestForeColor.
inline QStringList drawn(const RecordingCanvas& canvas) {
    auto pt = [](double x, double y) { return QString::number(x) + ',' + QString::number(y); };
    QStringList out;
    for (const CanvasOp& op : canvas.ops) {
        QString s;
        switch (op.kind) {
        case CanvasOp::Line:
            s = "line " + pt(op.x1, op.y1) + ' ' + pt(op.x2, op.y2);
            break;
        case CanvasOp::Box:
            s = "box " + pt(op.x1, op.y1) + ' ' + pt(op.x2, op.y2);
            break;
        case CanvasOp::Circle:
            s = "circle " + pt(op.x1, op.y1) + " r" + QString::number(op.x2);
            break;
        case CanvasOp::Pixel:
            s = "pixel " + pt(op.points[0].x, op.points[0].y);
            break;
        case CanvasOp::Polygon:
            s = "poly";
            for (const zv::IntPoint& p : op.points) {
                s += ' ' + pt(p.x, p.y);
            }
            break;
        default:
            continue;
        }
        if (op.color != TestForeColor) {
            s += " #" + QString::number(op.color, 16);
        }
        out << s;
    }
    return out;
}

inline int drawingCount(const RecordingCanvas& canvas) {
    return int(drawn(canvas).size());
}

inline bool allCoordinatesFinite(const RecordingCanvas& canvas) {
    for (const CanvasOp& op : canvas.ops) {
        if (!std::isfinite(op.x1) || !std::isfinite(op.y1) || !std::isfinite(op.x2) ||
            !std::isfinite(op.y2)) {
            return false;
        }
    }
    return true;
}

} // namespace zvtest
