#pragma once
// The per-type algorithms the dispatcher calls; one source file per fractal type.

namespace zv {

class DrawRun;

void DrawCantorSet(DrawRun& run);     // CantorSet.cpp
void DrawCantorSetDemo(DrawRun& run); // CantorSet.cpp
void DrawCross(DrawRun& run);         // Cross.cpp
void DrawSierpinskyGadget(DrawRun& run);    // SierpinskyGadget.cpp
void PlaySierpinskyChaosGame(DrawRun& run); // SierpinskyGadget.cpp
void DrawSierpinskyDemo(DrawRun& run);      // SierpinskyGadget.cpp
void DrawKochCurve(DrawRun& run);           // KochCurve.cpp
void DrawKochCurveByTurtle(DrawRun& run);   // KochCurve.cpp
void DrawLSystem(DrawRun& run);             // LSystem.cpp

} // namespace zv
