#pragma once
// The drawing run: one call draws one figure into model.Canvas, element by
// element, following the pause / cancel protocol through model.GlobalState.

#include "ParameterModel.h"

#include <cstdint>

namespace zv {

class RunHost;
class RandomSource;

// Resets the counters, clears the canvas and draws the figure of the given type
// with the draw mode stored in its record. Returns when the figure is complete
// or GlobalState became EditMode. Does nothing without a bound canvas.
void DrawFractal(ParameterModel& model, std::uint8_t FractalType, RunHost& host,
                 RandomSource& random);

} // namespace zv
