// Placeholders until the turtle, L-system and Koch curve sources are merged.
#include "Algorithms.h"

namespace zv {

void DrawKochCurve(DrawRun&) {}
void DrawKochCurveByTurtle(DrawRun&) {}
void DrawLSystem(DrawRun&) {}

} // namespace zv
