// The program: one parameter model, one window.

#include "MainForm.h"
#include "ParameterModel.h"
#include "ProgramCommandLine.h"
#include "QtDialogs.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

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

} // namespace

int main(int argc, char* argv[]) {
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
    if (const QString missing = zv::missingDisplayExplanation(commandLine.platform);
        !missing.isEmpty()) {
        std::fputs(missing.toLocal8Bit().constData(), stderr);
        return EXIT_FAILURE;
    }
    toolkitHandler = qInstallMessageHandler(messageHandler);

    QApplication app(argc, argv);
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
