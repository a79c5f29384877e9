// zorvandine-render as a process: the command lines of both programs (help,
// wrong options and values, damaged input, output that cannot be written, the
// window program without a display) and the progress line in the process.
// The figures themselves are tst_buildup's; both programs' --version lines are
// checked with the package.

#include "DataRows.h"
#include "FileMod.h"
#include "HostileFiles.h"
#include "Renderer.h"

#include <QtTest>

using namespace zv;
using namespace zvtest;

class RendererTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const QString defaultIni_ = QCoreApplication::applicationDirPath() + "/Default.ini";

private slots:
    // Both programs: help on stdout with status 0; a wrong option or value is
    // one line and the usage on stderr with status 1, before anything is read
    // or written; the window program (run without a display, or with
    // "DISPLAY=..." first) explains itself and ends with 1 instead of aborting.
    // The renderer's failures: damaged input, exit 2; output that cannot be
    // written (a folder or FIFO in the way, a full disk, that is a file size
    // limit of 300 bytes), exit 3, in one line naming the cause. Success writes
    // nothing on stderr, a failure nothing on stdout, and the working folder
    // stays as it was: no file left behind, the old pictures untouched.
    void commandLines_data() {
        columns<QStringList, int, QString>("command", "exitCode", "shown"); // shown: a pattern
        const QString renderer = ZORVANDINE_RENDER, window = ZORVANDINE_PROGRAM;
        row("renderer --help", QStringList{renderer, "--help"}, 0,
            "^Usage: zorvandine-render \\[options\\] INPUT OUTPUT\n");
        row("renderer, unknown option", QStringList{renderer, "--bogus", "a.ini", "b.png"}, 1,
            "^zorvandine-render: Unknown option 'bogus'\\.\nUsage: zorvandine-render");
        row("renderer --scale 8 of a 4096 area",
            QStringList{renderer, "--scale", "8", "wide.ini", "b.png"}, 1,
            "^zorvandine-render: --scale 8 makes the 4096 x 250 drawing area 32768 x 2000 pixels; "
            "a picture is at most 16384 pixels a side\n$");
        const auto refused = [&](const char* arguments, const QString& message) {
            row(arguments, QStringList{renderer} + QString(arguments).split(' '), 1,
                "^zorvandine-render: " + QRegularExpression::escape(message) + "\nUsage: ");
        };
        const QString scale = "--scale takes a whole number from 1 to 8",
                      frames = "--frames takes a whole number from 1 to 10000";
        refused("--scale 0 a.ini b.png", scale);
        refused("--scale 9 a.ini b.png", scale);
        refused("--frames 0 a.ini a.gif", frames);
        refused("--frames 1e9 a.ini a.webp", frames);
        refused("--fps 0 a.ini a.gif", "--fps takes a number from 0.1 to 50");
        refused("--hold -1 a.ini a.webp", "--hold takes a number of seconds from 0 to 600");
        refused("a.ini a.jpg", "OUTPUT must end in .bmp, .png, .svg, .gif or .webp");
        refused("--frames 5 a.ini a.png", "--frames, --fps and --hold need a .gif or .webp OUTPUT");
        refused("--elements 5 a.ini a.gif",
                "--elements makes a still; an animation shows every element");
        const auto failed = [&](const QString& name, const QString& files, int exitCode,
                                const QString& message) {
            row(qPrintable(name),
                QStringList{renderer, "--depth", "1", "--type", "3"} + files.split(' '), exitCode,
                "^zorvandine-render: " + QRegularExpression::escape(message) + "\n$");
        };
        failed("escape and 10 MB in a value", "bad.ini old.png", 2,
               "bad.ini: line 1: expected a whole number from 0 to 255, found \"\\x1b[31m" +
                   QString(55, 'A') + "...\""); // 60 characters
        failed("folder in the way of a PNG", "in.ini dir.png", 3,
               "cannot write dir.png: not a regular file");
        failed("FIFO as output", "in.ini fifo.png", 3, "cannot write fifo.png: not a regular file");
        for (const QString old : {"old.png", "old.gif", "old.webp"}) {
            failed(old + " on a full disk", "in.ini " + old, 3,
                   "cannot write " + old + ": " + qt_error_string(EFBIG));
        }
        row("window, unknown option", QStringList{window, "--bogus"}, 1,
            "^zorvandine: Unknown option 'bogus'\\.\nUsage: zorvandine");
        row("window without a display", QStringList{window}, 1,
            "^zorvandine: there is no display .*\nStart it from a desktop session .*xvfb-run.*\n$");
        row("window with a display that is not there", QStringList{"DISPLAY=:9999", window}, 1,
            "could not connect to display(.|\n)*\nzorvandine: the window cannot be opened.*\n"
            "Start it from a desktop session .*\n$");
    }

    void commandLines() {
        QFETCH(QStringList, command);
        QFETCH(int, exitCode);
        QFETCH(QString, shown);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"}) {
            environment.remove(name);
        }
        if (command[0].startsWith("DISPLAY=")) {
            environment.insert("DISPLAY", command.takeFirst().mid(8));
        }
        QTemporaryDir folder; // the working folder
        const QDir files(folder.path());
        const QStringList old{"old.png", "old.gif", "old.webp"};
        for (const QString& name : old) {
            QVERIFY(writeBytes(files.filePath(name), "old"));
        }
        // wide.ini: the factory drawing area of 200 x 250 pixels made 4096 pixels wide
        const QByteArray ini = fileBytes(defaultIni_);
        QVERIFY(writeBytes(files.filePath("in.ini"), ini) &&
                writeBytes(files.filePath("wide.ini"),
                           QByteArray(ini).replace("\r\n200\r\n250\r\n", "\r\n4096\r\n250\r\n")) &&
                writeBytes(files.filePath("bad.ini"), "\x1b[31m" + QByteArray(10'000'000, 'A')) &&
                files.mkdir("dir.png") &&
                ::mkfifo(QFile::encodeName(files.filePath("fifo.png")), 0600) == 0);
        const QStringList before = files.entryList(QDir::AllEntries | QDir::System);
        QProcess p;
        p.setWorkingDirectory(folder.path());
        p.setProcessEnvironment(environment);
        // On a full disk, writes beyond 300 bytes fail.
        if (QString(QTest::currentDataTag()).endsWith("full disk")) {
            p.setChildProcessModifier([] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{300, 300};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
        }
        p.start(command[0], command.mid(1));
        QVERIFY(p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit);
        QCOMPARE(p.exitCode(), exitCode);
        QCOMPARE(files.entryList(QDir::AllEntries | QDir::System), before);
        for (const QString& name : old) {
            QCOMPARE(fileBytes(files.filePath(name)), QByteArray("old"));
        }
        const QString out = p.readAllStandardOutput(), err = p.readAllStandardError();
        QVERIFY2(QRegularExpression(shown).match(exitCode == 0 ? out : err).hasMatch(),
                 qPrintable(out + err));
        QCOMPARE(exitCode == 0 ? err : out, QString());
    }

    // On a terminal a long run, a still's or an animation's, shows a progress
    // line and wipes it at the end (blanks over the longest line, then a
    // return); elsewhere, or with --quiet, nothing is added.
    void progressLineOnlyOnATerminal() {
        static const QRegularExpression progress(
            "^\\rElements drawn: \\d+, \\d+ per second, \\d+% *\\r(.*\\r)* +\\r$");
        for (const auto& [terminal, quiet, output] :
             {std::tuple{false, false, "p.png"}, {true, false, "p.gif"}, {true, true, "q.png"}}) {
            QString out, err;
            QTextStream outStream(&out), errStream(&err);
            const QStringList arguments{"--type", "4",         "--depth",
                                        "6",      defaultIni_, dir_.filePath(output)};
            const RendererOptions options{terminal, std::chrono::milliseconds(0), {}};
            QCOMPARE(runRenderer((quiet ? QStringList{"--quiet"} : QStringList()) + arguments,
                                 outStream, errStream, options),
                     ExitDrawn);
            errStream.flush();
            QVERIFY2(terminal && !quiet ? progress.match(err).hasMatch() : err.isEmpty(),
                     qPrintable(err));
        }
    }
};

QTEST_GUILESS_MAIN(RendererTest)
#include "tst_renderer.moc"
