#pragma once
// One drawing run against the recording canvas and the scripted host, with the
// model bound and in WorkingMode as the draw command leaves it.

#include "DrawFractal.h"
#include "EngineTestSupport.h"
#include "ParameterModel.h"
#include "Random.h"

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

// Operations that put something on the canvas.
inline bool isDrawing(const CanvasOp& op) {
    return op.kind == CanvasOp::Line || op.kind == CanvasOp::Box || op.kind == CanvasOp::Circle ||
           op.kind == CanvasOp::Pixel || op.kind == CanvasOp::Polygon;
}

inline int drawingCount(const RecordingCanvas& canvas) {
    int n = 0;
    for (const CanvasOp& op : canvas.ops) {
        n += isDrawing(op) ? 1 : 0;
    }
    return n;
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
