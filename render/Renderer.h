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
// is written); 3 OUTPUT cannot be written; 4 drawn, but standard output or
// error could not be written. SIGINT, SIGTERM and SIGHUP end a run with 128 +
// the signal's number and leave OUTPUT as it was.

#include "ParameterModel.h"

#include <QStringList>
#include <QTextStream>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace zv {

inline constexpr int ExitDrawn = 0;
inline constexpr int ExitUsage = 1;
inline constexpr int ExitBadInput = 2;
inline constexpr int ExitUnwritable = 3;
// The picture was written, but standard output or error was not (a full disk,
// a closed pipe): what a script reads from them is incomplete.
inline constexpr int ExitOutputLost = 4;

inline constexpr int MaxScale = 8;          // --scale
inline constexpr int MaxScaledSide = 16384; // pixels of a scaled picture's side

struct RendererOptions {
    // A progress line goes to err while a run lasts longer than progressDelay;
    // only when err is a terminal, where a line rewritten in place makes sense.
    bool progressOnTerminal = false;
    std::chrono::milliseconds progressDelay{1000};
    // Arguments as decoded whose bytes are not valid UTF-8: the decoded text
    // names another file, so such an INPUT or OUTPUT is refused.
    QStringList inexactArguments;
};

// How many elements a whole run of the type draws, where the figure's count
// has a closed form: the recursive figures, the chaos game and the L-system.
std::optional<double> ExpectedElements(const ParameterModel& model, std::uint8_t type);

// arguments: without the program name. Running out of memory ends the run
// with a message and ExitBadInput while INPUT is read, ExitUnwritable after.
int runRenderer(const QStringList& arguments, QTextStream& out, QTextStream& err,
                const RendererOptions& options = {});

// Flushes out and err into their files; a failure turns a success into
// ExitOutputLost (with a message on err while err still works).
int finishOutput(int status, QTextStream& out, QTextStream& err, std::FILE* outFile,
                 std::FILE* errFile);

} // namespace zv
