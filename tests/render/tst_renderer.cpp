// zorvandine-render as a process: the factory figures against the closed forms
// of their counters, in every picture format and scaled, the exit codes and the
// command lines of both programs; the progress line in the process. Both
// programs' --version lines are checked with the package.

#include "DataRows.h"
#include "FileMod.h"
#include "HostileFiles.h"
#include "Renderer.h"

#include <QImage>
#include <QImageReader>
#include <QtTest>

using namespace zv;
using namespace zvtest;

namespace {

struct Run {
    int exitCode = -1;
    QString out, err;
};

// limit: the largest file the program may write, in bytes (0: no limit); a
// write beyond it fails as on a full disk.
Run render(const QStringList& arguments, const QString& program = ZORVANDINE_RENDER,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
           rlim_t limit = 0, const QString& folder = {}) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessEnvironment(environment);
    if (limit > 0) {
        p.setChildProcessModifier([limit] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit l{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &l);
        });
    }
    p.start(program, arguments);
    const bool ended = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit;
    return {ended ? p.exitCode() : -1, QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

QString defaultIni() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Default.ini");
}

struct Factory {
    GeneralValues general;
    FractalParameters records;
};

// The factory settings showing one type; 5 stands for the gadget's chaos game.
Factory factory(int type) { // a Default.ini that does not read fails every figure
    Factory f;
    GeneralValuesCollector c;
    ReadSettingsFile(defaultIni(), c, f.records);
    f.general = c.Values;
    f.general.FractalType = static_cast<std::uint8_t>(type == 5 ? SierpinskyGadgetType : type);
    f.records.SierpinskyGadget.DrawMode = type == 5 ? ChaosGameMode : RecursiveMode;
    return f;
}

QRgb rgb(std::int32_t color) { // a Long colour, red in the low byte
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

qint64 pixelsOf(const QImage& image, QRgb color) { // image in Format_RGB32
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
    return std::count(pixels, pixels + image.sizeInBytes() / 4, color);
}

} // namespace

class RendererTest : public QObject {
    Q_OBJECT

    QString writeInput(const Factory& f) {
        const QString input = dir_.filePath(QStringLiteral("input.prm"));
        return WriteParameterFile(input, f.general, f.records) ? QString() : input;
    }
    QTemporaryDir dir_;

private slots:
    // Each type's factory figure: its counters against their closed forms, in
    // the general section's size and colours. The recursive gadget fills its
    // big triangle in the drawing colour and cuts one hole per element in the
    // background colour. At depth 4 the figure is also drawn --scale 3 times
    // larger, in lines 3 pixels wide: the ink grows nine times.
    void figures_data() {
        columns<int, int, QString>("type", "depth", "format"); // type 5: the chaos game
        for (int depth : {0, 2, 4}) {
            for (int type = 0; type <= FractalTypeCount; ++type) {
                QTest::addRow("type %d, depth %d", type, depth) << type << depth << "png";
            }
        }
        row("chaos game, depth 3000", 5, 3000, "png");
        row("L-system, depth 9 rewrites 7 times", 4, 9, "png");
        row("Koch curve to BMP", 3, 3, "bmp");
    }

    void figures() {
        QFETCH(int, type);
        QFETCH(int, depth);
        QFETCH(QString, format);
        const Factory f = factory(type);
        const QString input = writeInput(f), output = dir_.filePath("figure." + format);
        const QStringList arguments{"--depth", QString::number(depth), "--seed", "3", input};
        const Run run = render(arguments + QStringList{output});
        QCOMPARE(run.exitCode, 0);

        const auto segments = [](const auto& r) {
            return qint64(r.FixPoints.size()) - !r.ConnectLast;
        };
        qint64 recursions = 0, elements = depth; // the chaos game: a point per step
        if (type == CantorSetType) {
            for (int i = 1; i <= depth; ++i) {
                recursions += qint64(std::pow(f.records.CantorSet.ElementsCount, i));
            }
            elements = 1 + recursions;
        } else if (type == CrossType || type == KochCurveType) {
            const qint64 n =
                type == CrossType ? segments(f.records.Cross) : segments(f.records.KochCurve);
            // per segment 1 + 4 + ... + 4^(D-1)
            recursions = n * ((qint64(std::pow(4, depth)) - 1) / 3);
            elements = (type == CrossType ? 1 : 2) * recursions + n;
        } else if (type == SierpinskyGadgetType) {
            elements = recursions = (qint64(std::pow(3, depth)) - 1) / 2;
        } else if (type == LSystemType) { // one element per character, at most 7 rewrites
            QString word = QString::fromStdString(f.records.LSystem.InitiatorString);
            for (int pass = 0; pass < std::min(depth, 7); ++pass) {
                word.replace(u'F', QString::fromStdString(f.records.LSystem.GeneratorString));
            }
            elements = word.size();
        }
        QCOMPARE(run.out,
                 QString("Elements drawn: %1\nRecursions: %2\n").arg(elements).arg(recursions));
        // The progress line's percentage rests on the same closed forms.
        ParameterModel model;
        static_cast<FractalParameters&>(model) = f.records;
        model.CalcDepth = depth;
        QCOMPARE(ExpectedElements(model, f.general.FractalType).value_or(-1), double(elements));

        const QRgb back = rgb(f.general.BackColor), fore = rgb(f.general.ForeColor);
        QCOMPARE(QImageReader(output).format(), format.toLatin1());
        const QImage plain = QImage(output).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(plain.size(), QSize(f.general.AreaWidth.toInt(), f.general.AreaHeight.toInt()));
        QCOMPARE(plain.pixel(0, 0), back);
        QVERIFY(elements == 0 || pixelsOf(plain, fore) > 0);
        if (depth != 4 && depth != 3000) {
            return;
        }
        QCOMPARE(render(arguments + QStringList{"--scale", "3", output}).exitCode, 0);
        const QImage large = QImage(output).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(large.size(), plain.size() * 3);
        const qint64 plainInk = plain.width() * plain.height() - pixelsOf(plain, back);
        const qint64 largeInk = large.width() * large.height() - pixelsOf(large, back);
        const double growth = double(largeInk) / double(plainInk * 9);
        QVERIFY2(growth > 0.6 && growth < 1.6, qPrintable(QString::number(growth)));
    }

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
        Factory big = factory(0);
        big.general.AreaWidth = "4096";
        row("renderer --help", QStringList{renderer, "--help"}, 0,
            "^Usage: zorvandine-render \\[options\\] INPUT OUTPUT\n");
        row("renderer, unknown option", QStringList{renderer, "--bogus", "a.ini", "b.png"}, 1,
            "^zorvandine-render: Unknown option 'bogus'\\.\nUsage: zorvandine-render");
        row("renderer --scale 8 of a 4096 area",
            QStringList{renderer, "--scale", "8", writeInput(big), "b.png"}, 1,
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
        QVERIFY(writeBytes(files.filePath("in.ini"), fileBytes(defaultIni())) &&
                writeBytes(files.filePath("bad.ini"), "\x1b[31m" + QByteArray(10'000'000, 'A')) &&
                files.mkdir("dir.png") &&
                ::mkfifo(QFile::encodeName(files.filePath("fifo.png")), 0600) == 0);
        const QStringList before = files.entryList(QDir::AllEntries | QDir::System);
        const rlim_t limit = QString(QTest::currentDataTag()).endsWith("full disk") ? 300 : 0;
        const Run run = render(command.mid(1), command[0], environment, limit, folder.path());
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(files.entryList(QDir::AllEntries | QDir::System), before);
        for (const QString& name : old) {
            QCOMPARE(fileBytes(files.filePath(name)), QByteArray("old"));
        }
        QVERIFY2(QRegularExpression(shown).match(exitCode == 0 ? run.out : run.err).hasMatch(),
                 qPrintable(run.out + run.err));
        QCOMPARE(exitCode == 0 ? run.err : run.out, QString());
    }

    // On a terminal a long run, a still's or an animation's, shows a progress
    // line and wipes it at the end (blanks over the longest line, then a
    // return); elsewhere, or with --quiet, nothing is added.
    void progressLineOnlyOnATerminal() {
        static const QRegularExpression progress(
            "^\\rElements drawn: \\d+, \\d+ per second, \\d+% *\\r(.*\\r)* +\\r$");
        for (const QString output : {"p.png", "p.gif", "quiet"}) {
            const bool terminal = output != u"p.png";
            QString out, err;
            QTextStream outStream(&out), errStream(&err);
            QStringList arguments{"--type", "4",          "--depth",
                                  "6",      defaultIni(), dir_.filePath(output)};
            if (output == u"quiet") {
                arguments.last() += ".png";
                arguments.prepend("--quiet");
            }
            QCOMPARE(runRenderer(arguments, outStream, errStream,
                                 {terminal, std::chrono::milliseconds(0), {}}),
                     ExitDrawn);
            errStream.flush();
            QVERIFY2(terminal && output != u"quiet" ? progress.match(err).hasMatch()
                                                    : err.isEmpty(),
                     qPrintable(err));
        }
    }
};

QTEST_GUILESS_MAIN(RendererTest)
#include "tst_renderer.moc"
