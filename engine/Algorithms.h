#pragma once
// The per-type algorithms the catalogue's rows point to; one source file per
// fractal type. Each draw function draws one figure; each count function gives
// the elements that a complete run of it draws (progress figures only).

#include <optional>

namespace zv {

class DrawRun;
struct ParameterModel;

void DrawCantorSet(DrawRun& run);           // CantorSet.cpp
void DrawCantorSetDemo(DrawRun& run);       // CantorSet.cpp
void DrawCross(DrawRun& run);               // Cross.cpp
void DrawSierpinskyGadget(DrawRun& run);    // SierpinskyGadget.cpp
void PlaySierpinskyChaosGame(DrawRun& run); // SierpinskyGadget.cpp
void DrawSierpinskyDemo(DrawRun& run);      // SierpinskyGadget.cpp
void DrawKochCurve(DrawRun& run);           // KochCurve.cpp
void DrawKochCurveByTurtle(DrawRun& run);   // KochCurve.cpp
void DrawLSystem(DrawRun& run);             // LSystem.cpp

std::optional<double> CantorSetElements(const ParameterModel& model);
std::optional<double> CrossElements(const ParameterModel& model);
std::optional<double> SierpinskyGadgetElements(const ParameterModel& model);
std::optional<double> SierpinskyChaosGameElements(const ParameterModel& model);
std::optional<double> KochCurveElements(const ParameterModel& model);
std::optional<double> LSystemElements(const ParameterModel& model);

} // namespace zv
