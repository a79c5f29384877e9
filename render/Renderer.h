#pragma once
// zorvandine-render: draws a settings or parameter file to a picture without a
// window, on the same engine and file reader as the program.
//
//   zorvandine-render [--type N] [--depth N] [--seed N] INPUT OUTPUT
//
// Exit codes: 0 drawn; 1 wrong arguments; 2 INPUT missing or damaged (one line
// naming the file, the line and what was wrong; no OUTPUT is written);
// 3 OUTPUT cannot be written.

#include <QStringList>
#include <QTextStream>

namespace zv {

inline constexpr int ExitDrawn = 0;
inline constexpr int ExitUsage = 1;
inline constexpr int ExitBadInput = 2;
inline constexpr int ExitUnwritable = 3;

int runRenderer(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace zv
