#pragma once
// The one set of parameters the window, the files and the engine share.
// Widths follow what the settings files store: Byte = uint8, Integer = int16,
// Long = int32, Double = double. Coordinates are canvas pixels, origin top-left,
// y down.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zv {

class Canvas;

// Values of ParameterModel::GlobalState.
inline constexpr std::uint8_t EditMode = 0;    // no run; also the signal that stops one
inline constexpr std::uint8_t WorkingMode = 1; // a run draws
inline constexpr std::uint8_t PauseMode = 2;   // a run waits

// Draw mode indices (the DrawMode_opt option buttons).
inline constexpr std::uint8_t RecursiveMode = 0;
inline constexpr std::uint8_t ChaosGameMode = 1;
inline constexpr std::uint8_t TurtleGraphicsMode = 2;
inline constexpr std::uint8_t DemoMode = 3;

// Fractal type indices: list position, dispatcher argument, file section.
inline constexpr std::uint8_t CantorSetType = 0;
inline constexpr std::uint8_t CrossType = 1;
inline constexpr std::uint8_t SierpinskyGadgetType = 2;
inline constexpr std::uint8_t KochCurveType = 3;
inline constexpr std::uint8_t LSystemType = 4;
inline constexpr int FractalTypeCount = 5;

// Colours are 24-bit RGB in a Long, red in the low byte. -1 as ForeColor means
// a random palette colour per element.
inline constexpr std::int32_t RandomColor = -1;

struct FixPoint {
    double X = 0;
    double Y = 0;
    bool operator==(const FixPoint&) const = default;
};

struct CantorSetParams {
    std::uint8_t DrawMode = RecursiveMode;
    std::array<FixPoint, 2> FixPoints{}; // left end of the top bar; right end (only X used)
    std::int16_t StepHeight = 20;        // bar height in pixels
    std::uint8_t ElementsCount = 3;      // surviving pieces per bar
    bool operator==(const CantorSetParams&) const = default;
};

struct CrossParams {
    std::uint8_t DrawMode = RecursiveMode;
    std::vector<FixPoint> FixPoints{{0, 0}, {0, 0}}; // polyline corners, 2 to 8 in the window
    bool ConnectLast = false;
    double DecreaseFactor = 0.5; // g: a crossing bar is 2 g^2 times its segment
    bool operator==(const CrossParams&) const = default;
};

struct SierpinskyGadgetParams {
    std::uint8_t DrawMode = RecursiveMode;
    std::array<FixPoint, 3> FixPoints{};
    bool operator==(const SierpinskyGadgetParams&) const = default;
};

struct KochCurveParams {
    std::uint8_t DrawMode = RecursiveMode;
    std::vector<FixPoint> FixPoints{{0, 0}, {0, 0}};
    bool ConnectLast = false;
    bool operator==(const KochCurveParams&) const = default;
};

struct LSystemParams {
    std::array<FixPoint, 2> FixPoints{}; // start; the direction to point 1 is the heading
    std::string InitiatorString = "F";   // both strings Latin-1: a byte is a character is a command
    std::string GeneratorString = "F[+F]F[-F]F";
    double LineLength = 0.5; // pixels per step
    double Delta = 50;       // degrees
    bool operator==(const LSystemParams&) const = default;
};

// The parameters a file or the window can set; compared as a whole by round trips.
struct FractalParameters {
    CantorSetParams CantorSet;
    CrossParams Cross;
    SierpinskyGadgetParams SierpinskyGadget;
    KochCurveParams KochCurve;
    LSystemParams LSystem;
    bool operator==(const FractalParameters&) const = default;

    // The stored draw mode of a type; the L-system (and any unknown type) has
    // only the turtle.
    std::uint8_t drawMode(std::uint8_t type) const {
        switch (type) {
        case CantorSetType:
            return CantorSet.DrawMode;
        case CrossType:
            return Cross.DrawMode;
        case SierpinskyGadgetType:
            return SierpinskyGadget.DrawMode;
        case KochCurveType:
            return KochCurve.DrawMode;
        default:
            return TurtleGraphicsMode;
        }
    }
    // The fix points of a type; an unknown type gets the L-system's.
    std::span<const FixPoint> fixPoints(std::uint8_t type) const {
        switch (type) {
        case CantorSetType:
            return CantorSet.FixPoints;
        case CrossType:
            return Cross.FixPoints;
        case SierpinskyGadgetType:
            return SierpinskyGadget.FixPoints;
        case KochCurveType:
            return KochCurve.FixPoints;
        default:
            return LSystem.FixPoints;
        }
    }
};

struct ParameterModel : FractalParameters {
    // Common values, copied from the window before every run.
    std::int32_t ForeColor = 0;
    std::int32_t CalcDepth = 10;
    bool PauseAfterEachOp = false;

    // Run state: only the window's ManageGlobalStates writes GlobalState.
    std::uint8_t GlobalState = EditMode;
    zv::Canvas* Canvas = nullptr; // the drawing area, bound once at start
    // The counters are not stored anywhere, so they are 64-bit: a long L-system run
    // passes 2^31 elements without overflowing.
    std::int64_t RecursionsDone = 0;
    std::int64_t ElementsDrawn = 0;

    std::array<std::string, FractalTypeCount> FractalTypeNames;
};

} // namespace zv
