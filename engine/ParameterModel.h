#pragma once
// The one set of parameters the window, the files and the engine share.
// Widths follow what the settings files store: Byte = uint8, Integer = int16,
// Long = int32, Double = double. Coordinates are canvas pixels, origin top-left,
// y down.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zv {

class Canvas;

// Values of ParameterModel::GlobalState.
inline constexpr std::uint8_t EditMode = 0;    // no run; also the signal that stops one
inline constexpr std::uint8_t WorkingMode = 1; // a run draws
inline constexpr std::uint8_t PauseMode = 2;   // a run waits

// The draw modes, in the order of the window's options (DrawMode_opt). A
// record's DrawMode stores the number, and a file may hold any byte there.
enum class DrawMode : std::uint8_t { Recursive, ChaosGame, TurtleGraphics, Demo };
inline constexpr int DrawModeCount = 4;

// The fractal types, in catalogue order (FractalCatalogue.h). The number is the
// type list's position, the dispatcher's argument and the file section's place.
enum class FractalType : std::uint8_t { CantorSet, Cross, SierpinskyGadget, KochCurve, LSystem };
inline constexpr int FractalTypeCount = 5;

// The numbers as they are stored: in a record's DrawMode, in line 1 of a
// file, as the index of an option or of the type list.
inline constexpr std::uint8_t RecursiveMode = std::uint8_t(DrawMode::Recursive);
inline constexpr std::uint8_t ChaosGameMode = std::uint8_t(DrawMode::ChaosGame);
inline constexpr std::uint8_t TurtleGraphicsMode = std::uint8_t(DrawMode::TurtleGraphics);
inline constexpr std::uint8_t DemoMode = std::uint8_t(DrawMode::Demo);
inline constexpr std::uint8_t CantorSetType = std::uint8_t(FractalType::CantorSet);
inline constexpr std::uint8_t CrossType = std::uint8_t(FractalType::Cross);
inline constexpr std::uint8_t SierpinskyGadgetType = std::uint8_t(FractalType::SierpinskyGadget);
inline constexpr std::uint8_t KochCurveType = std::uint8_t(FractalType::KochCurve);
inline constexpr std::uint8_t LSystemType = std::uint8_t(FractalType::LSystem);

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
