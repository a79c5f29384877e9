// The program: one parameter model, one window.

#include "MainForm.h"
#include "ParameterModel.h"
#include "ProgramCommandLine.h"
#include "QtDialogs.h"
#include "ShownText.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <unistd.h>

namespace {

QtMessageHandler toolkitHandler = nullptr;

// When the window system cannot be reached although the environment names
// one (DISPLAY points at no server), the toolkit ends the program with abort()
// after its own lines. Its lines still go out; then the user gets the
// explanation and status 1 instead of a crash.
void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (toolkitHandler != nullptr) {
        toolkitHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        const QString text = zv::noDisplayExplanation(
            QStringLiteral("the window cannot be opened: no display could be reached"));
        std::fputs(text.toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }
}

// An input the program cannot name exactly ends the start, as a damaged one would.
constexpr int ExitInexactName = 2;

// Whether a file name's bytes survive the way through a QString.
bool exact(const QByteArray& raw) {
    return QFile::encodeName(QFile::decodeName(raw)) == raw;
}

// The folder of the program's file as the system has it, byte for byte.
QByteArray rawProgramFolder() {
    char link[4096];
    const ssize_t n = ::readlink("/proc/self/exe", link, sizeof link);
    const QByteArray path(link, n > 0 ? n : 0);
    return path.left(path.lastIndexOf('/'));
}

// Memory that runs out inside an event handler that does not see to it
// itself: the action is dropped with a message, and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            static const char line[] = "zorvandine: not enough memory for the last action\n";
            [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, sizeof line - 1);
            try {
                QMessageBox::critical(nullptr, QStringLiteral("Not enough memory:"),
                                      QStringLiteral("There was not enough memory for the last "
                                                     "action; it was not finished."));
            } catch (const std::bad_alloc&) {
                // Not even for the box: the line above has said it.
            }
            return false;
        }
    }
};

int run(int argc, char* argv[]);

} // namespace

int main(int argc, char* argv[]) {
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        // The window, if it was up, is gone without its close: User.ini stays as it was.
        static const char line[] = "zorvandine: not enough memory to go on; the settings were not "
                                   "saved, User.ini is as it was\n";
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, sizeof line - 1);
        return EXIT_FAILURE;
    }
}

namespace {

int run(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const zv::ProgramCommandLine commandLine = zv::parseProgramCommandLine(arguments);
    switch (commandLine.action) {
    case zv::ProgramCommandLine::Action::Help:
    case zv::ProgramCommandLine::Action::Version:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stdout);
        return EXIT_SUCCESS;
    case zv::ProgramCommandLine::Action::Error:
        std::fprintf(stderr, "zorvandine: %s\n%s", commandLine.text.toLocal8Bit().constData(),
                     commandLine.usage.toLocal8Bit().constData());
        return EXIT_FAILURE;
    case zv::ProgramCommandLine::Action::Run:
        break;
    }
    // A name whose bytes are not UTF-8 reaches the file system as other bytes,
    // that is as another file: the program's folder (User.ini is written there)
    // and a file to open must be named exactly, or the start is refused.
    QString inexact;
    for (int i = 1; i < argc && inexact.isEmpty(); ++i) {
        if (!exact(argv[i])) {
            inexact = QStringLiteral("%1: the name is not valid UTF-8 and cannot be opened exactly")
                          .arg(zv::ShownText(QFile::decodeName(argv[i]), zv::ShownPathChars));
        }
    }
    if (const QByteArray folder = rawProgramFolder(); inexact.isEmpty() && !exact(folder)) {
        inexact = QStringLiteral("the program's folder %1 is not valid UTF-8, so its settings "
                                 "cannot be reached exactly; move the program to another folder")
                      .arg(zv::ShownText(QFile::decodeName(folder), zv::ShownPathChars));
    }
    if (!inexact.isEmpty()) {
        std::fprintf(stderr, "zorvandine: %s\n", inexact.toLocal8Bit().constData());
        if (zv::missingDisplayExplanation(commandLine.platform).isEmpty()) {
            QApplication app(argc, argv);
            QMessageBox::critical(nullptr, QStringLiteral("Fatal Error:"), inexact);
        }
        return ExitInexactName;
    }
    if (const QString missing = zv::missingDisplayExplanation(commandLine.platform);
        !missing.isEmpty()) {
        std::fputs(missing.toLocal8Bit().constData(), stderr);
        return EXIT_FAILURE;
    }
    toolkitHandler = qInstallMessageHandler(messageHandler);

    Application app(argc, argv);
    // The user's own folders (~/.config/zorvandine, ~/.local/share/zorvandine) carry this name.
    QApplication::setApplicationName(QStringLiteral("zorvandine"));
    // The layout is made for Fusion's metrics, whatever the desktop's own style.
    QApplication::setStyle(QStringLiteral("Fusion"));
    zv::ParameterModel model;
    zv::QtDialogs dialogs;
    zv::MainForm form(model, dialogs, QCoreApplication::applicationDirPath());
    if (!form.SettingsLoaded()) {
        // Neither settings file could be read, and the user has been told.
        return EXIT_FAILURE;
    }
    dialogs.setParent(&form);
    form.show();
    if (!commandLine.parameterFile.isEmpty()) {
        // Once the window is up, so that a message about the file has its parent.
        QTimer::singleShot(0, &form, [&form, &commandLine] {
            form.OpenParameterFile(commandLine.parameterFile);
        });
    }
    return QApplication::exec();
}

} // namespace
