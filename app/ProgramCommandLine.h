#pragma once
// The program's command line, read before the window system is touched, so
// that --help, --version and a missing display work on any terminal.

#include <QString>
#include <QStringList>

namespace zv {

struct ProgramCommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString text;         // the help, the version, or the error line
    QString usage;        // the help, printed after an error line
    QString platform;     // -platform, empty when not given
    QString parameterFile; // a .prm to open at start, empty when none
};

// arguments: the whole argv, the program name first.
ProgramCommandLine parseProgramCommandLine(const QStringList& arguments);

// Empty when the window can be opened as far as the environment tells, else
// the explanation for the user (one or two lines, ending in a newline).
QString missingDisplayExplanation(const QString& platform);

// The explanation for a reason of the caller's (one line each, first the reason).
QString noDisplayExplanation(const QString& reason);

} // namespace zv
