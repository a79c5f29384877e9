#include "ProgramCommandLine.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace zv {

ProgramCommandLine parseProgramCommandLine(const QStringList& arguments) {
    ProgramCommandLine result;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Draws linear fractals element by element in a window."));
    // The toolkit's own options (-platform xcb, -style Fusion) are single-dash words.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help and exit."));
    const QCommandLineOption versionOption({QStringLiteral("v"), QStringLiteral("version")},
                                           QStringLiteral("Show the version and exit."));
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    // The toolkit reads these itself when the application starts; they are
    // known here only so that they are not refused.
    QCommandLineOption platformOption(QStringLiteral("platform"), {}, QStringLiteral("name"));
    platformOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(platformOption);
    for (const char* name : {"platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                             "qwindowicon", "qwindowtitle", "style", "stylesheet", "display",
                             "geometry", "session", "qmljsdebugger"}) {
        QCommandLineOption o(QString::fromLatin1(name), {}, QStringLiteral("value"));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption o(QString::fromLatin1(name));
        o.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(o);
    }
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A parameter file (.prm) to open at start."),
                                 QStringLiteral("[FILE]"));
    result.usage = parser.helpText().replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                                             QStringLiteral("Usage: zorvandine"));

    if (!parser.parse(arguments)) {
        result.action = ProgramCommandLine::Action::Error;
        result.text = parser.errorText();
        return result;
    }
    if (parser.isSet(helpOption)) {
        result.action = ProgramCommandLine::Action::Help;
        result.text = result.usage;
        return result;
    }
    if (parser.isSet(versionOption)) {
        result.action = ProgramCommandLine::Action::Version;
        result.text = QStringLiteral("zorvandine " ZORVANDINE_VERSION_TEXT "\n");
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.action = ProgramCommandLine::Action::Error;
        result.text = QStringLiteral("only one parameter file can be opened");
        return result;
    }
    result.parameterFile = files.value(0);
    result.platform = parser.value(platformOption);
    return result;
}

QString noDisplayExplanation(const QString& reason) {
    return QStringLiteral("zorvandine: %1.\n"
                          "Start it from a desktop session or over ssh -X, or try it under "
                          "xvfb-run; zorvandine-render draws pictures without a display.\n")
        .arg(reason);
}

QString missingDisplayExplanation(const QString& platform) {
    const QString name = platform.isEmpty() ? qEnvironmentVariable("QT_QPA_PLATFORM") : platform;
    const bool x11 = !qEnvironmentVariable("DISPLAY").isEmpty();
    const bool wayland = !qEnvironmentVariable("WAYLAND_DISPLAY").isEmpty();
    // Only the two desktop window systems need a display; the offscreen,
    // framebuffer and VNC platforms do not.
    if (name.isEmpty() && !x11 && !wayland) {
        return noDisplayExplanation(QStringLiteral(
            "there is no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)"));
    }
    if (name.startsWith(u"xcb") && !x11) {
        return noDisplayExplanation(
            QStringLiteral("there is no display to open the window on (DISPLAY is not set)"));
    }
    if (name.startsWith(u"wayland") && !wayland) {
        return noDisplayExplanation(
            QStringLiteral("there is no display to open the window on (WAYLAND_DISPLAY is not set)"));
    }
    return {};
}

} // namespace zv
