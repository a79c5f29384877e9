#pragma once
// A value from a file or a path in a message: a file can hold terminal escape
// sequences or a line of megabytes, and neither may reach the user's terminal
// or a message box as it stands.

#include <QString>

namespace zv {

inline constexpr qsizetype ShownValueChars = 60;
// A path the user chose is shown whole unless it is absurdly long.
inline constexpr qsizetype ShownPathChars = 1024;

// At most maxChars characters of the text, followed by "..." when it was cut;
// control characters are written as \xHH (an escape as \x1b), other
// unprintable ones as \uHHHH.
QString ShownText(const QString& text, qsizetype maxChars = ShownValueChars);

} // namespace zv
