#pragma once
// zorvandine-render: draws a settings or parameter file to a picture without a
// window, on the same engine and file reader as the program.
//
//   zorvandine-render [--type N] [--depth N] [--seed N] [--scale N] [--elements M] [--quiet]
//                     INPUT OUTPUT
//   zorvandine-render --help | --version
//
// Exit codes: 0 drawn (or help, version); 1 wrong arguments; 2 INPUT missing
// or damaged (one line naming the file, the line and what was wrong; no OUTPUT
// is written); 3 OUTPUT cannot be written.

#include "ParameterModel.h"

#include <QStringList>
#include <QTextStream>
#include <chrono>
#include <cstdint>
#include <optional>

namespace zv {

inline constexpr int ExitDrawn = 0;
inline constexpr int ExitUsage = 1;
inline constexpr int ExitBadInput = 2;
inline constexpr int ExitUnwritable = 3;

inline constexpr int MaxScale = 8;          // --scale
inline constexpr int MaxScaledSide = 16384; // pixels of a scaled picture's side

struct RendererOptions {
    // A progress line goes to err while a run lasts longer than progressDelay;
    // only when err is a terminal, where a line rewritten in place makes sense.
    bool progressOnTerminal = false;
    std::chrono::milliseconds progressDelay{1000};
};

// How many elements a whole run of the type draws, where the figure's count
// has a closed form: the recursive figures, the chaos game and the L-system.
std::optional<double> ExpectedElements(const ParameterModel& model, std::uint8_t type);

// arguments: without the program name.
int runRenderer(const QStringList& arguments, QTextStream& out, QTextStream& err,
                const RendererOptions& options = {});

} // namespace zv
