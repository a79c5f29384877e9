// zorvandine-render as a process: a factory figure in every format, counters
// against their closed forms, the exit codes, the seed and the command lines of
// both programs; the progress line in the process.

#include "FileMod.h"
#include "HostileFiles.h"
#include "Renderer.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace zv;
using namespace zvtest;

namespace {

// One row of a data table, its cells in column order.
void row(const char* name, auto... cells) {
    (QTest::newRow(name) << ... << cells);
}

struct Run {
    int exitCode = -1;
    QString err;
    qint64 elements = -1;
    qint64 recursions = -1;
    QString out;
};

// limit: the largest file the program may write, in bytes (0: no limit); a
// write beyond it fails as on a full disk.
Run render(const QStringList& arguments, const QString& program = ZORVANDINE_RENDER,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
           rlim_t limit = 0) {
    QProcess p;
    p.setProcessEnvironment(environment);
    if (limit > 0) {
        p.setChildProcessModifier([limit] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit l{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &l);
        });
    }
    p.start(program, arguments);
    Run r;
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit) {
        static const QRegularExpression counters(
            QStringLiteral("^Elements drawn: (\\d+)\r?\nRecursions: (\\d+)\r?\n$"));
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        const auto m = counters.match(out);
        r = {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError()),
             m.hasMatch() ? m.captured(1).toLongLong() : -1,
             m.hasMatch() ? m.captured(2).toLongLong() : -1, out};
    }
    return r;
}

QString defaultIni() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Default.ini");
}

// Default.ini with a drawing area 4096 pixels wide.
QString bigArea() {
    static QTemporaryDir dir;
    const QString path = dir.filePath("big.ini");
    QFile in(defaultIni()), out(path);
    if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)) {
        QList<QByteArray> lines = in.readAll().split('\n');
        lines[4] = "4096\r";
        out.write(lines.join('\n'));
    }
    return path;
}

struct Factory {
    GeneralValues general;
    FractalParameters records;
};

Factory factory() { // a Default.ini that does not read fails factoryFigures
    Factory f;
    GeneralValuesCollector c;
    ReadSettingsFile(defaultIni(), c, f.records);
    f.general = c.Values;
    return f;
}

// The factory settings showing one type; 5 stands for the gadget's chaos game.
Factory factoryFigure(int type) {
    Factory f = factory();
    f.general.FractalType = static_cast<std::uint8_t>(type == 5 ? SierpinskyGadgetType : type);
    f.records.SierpinskyGadget.DrawMode = type == 5 ? ChaosGameMode : RecursiveMode;
    return f;
}

qint64 power(qint64 base, int exponent) {
    return exponent <= 0 ? 1 : base * power(base, exponent - 1);
}

// "tag fill" of every drawing element of an SVG file, in document order.
QStringList svgElements(const QString& path) {
    QFile file(path);
    QXmlStreamReader xml(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    QStringList out;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() != u"svg") {
            out << xml.name().toString() + u' ' +
                       xml.attributes().value(QLatin1String("fill")).toString();
        }
    }
    return xml.hasError() ? QStringList{"<xml error>"} : out;
}

QRgb rgb(std::int32_t color) { // a Long colour, red in the low byte
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
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

    // A factory figure in each format, at the general section's size and in its
    // colours. The recursive gadget fills its big triangle in the drawing colour
    // and cuts one hole per element in the background colour.
    void factoryFigures_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("format");
        QTest::newRow("Koch curve to BMP") << int(KochCurveType) << "bmp";
        QTest::newRow("cross to PNG") << int(CrossType) << "png";
        QTest::newRow("gadget to SVG") << int(SierpinskyGadgetType) << "svg";
    }

    void factoryFigures() {
        QFETCH(int, type);
        QFETCH(QString, format);
        const QString output = dir_.filePath(QStringLiteral("factory.") + format);
        const Run run =
            render({"--type", QString::number(type), "--depth", "3", defaultIni(), output});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.elements > 0);
        const Factory f = factory();
        const QString back = QColor(rgb(f.general.BackColor)).name();
        const QString fore = QColor(rgb(f.general.ForeColor)).name();
        if (format == u"svg") {
            const QStringList whole{"rect " + back, "polygon " + fore};
            QCOMPARE(svgElements(output), whole + QStringList(run.elements, "polygon " + back));
            return;
        }
        const QImage image = QImage(output).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(f.general.AreaWidth.toInt(), f.general.AreaHeight.toInt()));
        QCOMPARE(image.pixel(0, 0), rgb(f.general.BackColor));
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
        QVERIFY(std::count(pixels, pixels + image.sizeInBytes() / 4, rgb(f.general.ForeColor)));
    }

    void closedForms_data() {
        QTest::addColumn<int>("type"); // 5: the chaos game
        QTest::addColumn<int>("depth");
        for (int depth : {0, 2, 4}) {
            for (int type = 0; type <= FractalTypeCount; ++type) {
                QTest::addRow("type %d, depth %d", type, depth) << type << depth;
            }
        }
        QTest::addRow("chaos game, depth 1000") << 5 << 1000;
        QTest::addRow("L-system, depth 9 rewrites 7 times") << 4 << 9;
    }

    void closedForms() {
        QFETCH(int, type);
        QFETCH(int, depth);
        const Factory f = factoryFigure(type);
        const Run run = render({"--depth", QString::number(depth), writeInput(f),
                                dir_.filePath(QStringLiteral("closed.png"))});
        QCOMPARE(run.exitCode, 0);

        const auto segments = [](const auto& r) {
            return qint64(r.FixPoints.size()) - !r.ConnectLast;
        };
        const auto quarters = [depth] { return (power(4, depth) - 1) / 3; }; // 1 + ... + 4^(D-1)
        qint64 recursions = 0;
        qint64 elements = 0;
        if (type == CantorSetType) {
            for (int i = 1; i <= depth; ++i) {
                recursions += power(f.records.CantorSet.ElementsCount, i);
            }
            elements = 1 + recursions;
        } else if (type == CrossType) {
            recursions = segments(f.records.Cross) * quarters();
            elements = recursions + segments(f.records.Cross);
        } else if (type == SierpinskyGadgetType) {
            elements = recursions = (power(3, depth) - 1) / 2;
        } else if (type == KochCurveType) {
            recursions = segments(f.records.KochCurve) * quarters();
            elements = 2 * recursions + segments(f.records.KochCurve);
        } else if (type == LSystemType) { // one element per character, at most 7 rewrites
            QString word = QString::fromStdString(f.records.LSystem.InitiatorString);
            for (int pass = 0; pass < std::min(depth, 7); ++pass) {
                word.replace(u'F', QString::fromStdString(f.records.LSystem.GeneratorString));
            }
            elements = word.size();
        } else {
            elements = depth;
        }
        QCOMPARE(run.elements, elements);
        QCOMPARE(run.recursions, recursions);
        // The progress line's percentage rests on the same closed forms.
        ParameterModel model;
        static_cast<FractalParameters&>(model) = f.records;
        model.CalcDepth = depth;
        QCOMPARE(ExpectedElements(model, f.general.FractalType).value_or(-1), double(elements));
    }

    // Damaged or hostile input: exit 2; output that cannot be written: exit 3.
    // Either way one short line naming the cause, no hang, no FIFO opened, no
    // file left behind and an old picture untouched.
    void failures_data() {
        QTest::addColumn<QString>("input"); // the factory settings, but "none", "line 18": 256 ...
        QTest::addColumn<QString>("output"); // "old.png" holds an old picture
        QTest::addColumn<int>("limit");      // largest file the renderer may write
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        row("missing file", "none", "out.png", 0, 2, "input.ini");
        row("ElementsCount 256", "line 18", "out.png", 0, 2, "input.ini: line 18");
        row("ends in the L-system", "cut", "out.bmp", 0, 2, "input.ini: line 51");
        row("escape and 10 MB in a value", "escape", "old.png", 0, 2,
            "found \"\\x1b[31m" + QString(55, 'A') + "...\""); // 60 characters
        row("FIFO as input", "FIFO", "old.png", 0, 2, "not a regular file");
        row("sparse 1 GB input", "sparse", "old.png", 0, 2, "larger than 64 MiB");
        row("folder in the way of a PNG", "factory", "dir.png", 0, 3, "dir.png");
        row("FIFO as output", "factory", "fifo.png", 0, 3, "not a regular file");
        row("small picture, disk full", "factory", "old.png", 300, 3, qt_error_string(EFBIG));
        row("deep SVG, disk full", "factory", "deep.svg", 65536, 3, qt_error_string(EFBIG));
    }

    void failures() {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(int, limit);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString in = dir.filePath("input.ini"), out = dir.filePath(output);
        QList<QByteArray> lines = fileBytes(defaultIni()).split('\n');
        std::optional<FifoWatch> fifo;
        if (input == "FIFO" || output == "fifo.png") {
            fifo.emplace(input == "FIFO" ? in : out);
            QVERIFY(fifo->made());
        }
        if (input == "sparse") {
            QVERIFY(makeSparseFile(in, qint64(1) << 30));
        } else if (input != "none" && input != "FIFO") {
            if (input == "line 18") {
                lines[17] = "256\r";
            }
            const QByteArray content = input == "escape" ? "\x1b[31m" + QByteArray(10'000'000, 'A')
                                       : input == "cut"  ? lines.mid(0, 50).join('\n') + '\n'
                                                         : lines.join('\n');
            QVERIFY(writeBytes(in, content));
        }
        QVERIFY(QDir(dir.path()).mkdir("dir.png") && writeBytes(dir.filePath("old.png"), "old"));
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System);

        // Koch curve: depth 12 is a quarter of a billion SVG bytes.
        const QString depth = output.endsWith(".svg") ? "12" : "1";
        const Run run = render({"--depth", depth, "--type", "3", in, out}, ZORVANDINE_RENDER,
                               QProcessEnvironment::systemEnvironment(), rlim_t(limit));
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message) && run.err.count(u'\n') == 1 && run.err.size() < 300 &&
                     !run.err.contains(u'\x1b'),
                 qPrintable(run.err.left(300)));
        QVERIFY(!fifo || !fifo->opened());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System), before);
        QCOMPARE(fileBytes(dir.filePath("old.png")), QByteArray("old"));
    }

    void seedReproducesRandomRuns() {
        Factory f = factory();
        f.general = {.FractalType = SierpinskyGadgetType, .RandomForeColor = 1};
        f.records.SierpinskyGadget.DrawMode = ChaosGameMode;
        const QString input = writeInput(f);
        QList<QStringList> pictures;
        for (const char* seed : {"5", "5", "6"}) {
            QCOMPARE(render({"--seed", seed, "--depth", "500", input, input + ".svg"}).exitCode, 0);
            pictures << svgElements(input + ".svg");
        }
        QCOMPARE(pictures[0], pictures[1]);
        QVERIFY(pictures[0] != pictures[2]);
    }

    // Both programs: help and version on stdout with status 0; a wrong option
    // is one line and the usage on stderr with status 1; the window program
    // without a display explains itself and ends with 1 instead of aborting.
    void commandLines_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("display"); // "-": as the test runs
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // a pattern
        QTest::addColumn<QString>("err"); // a pattern
        const QString renderer = ZORVANDINE_RENDER, window = ZORVANDINE_PROGRAM;
        const QString usage = "^Usage: zorvandine-render \\[options\\] INPUT OUTPUT\n";
        row("renderer --help", renderer, QStringList{"--help"}, "-", 0, usage, "^$");
        row("renderer --version", renderer, QStringList{"--version"}, "-", 0, "^1\\.0b\n$", "^$");
        row("renderer, unknown option", renderer, QStringList{"--bogus", "a.ini", "b.png"}, "-", 1,
            "^$", "^zorvandine-render: Unknown option 'bogus'\\.\nUsage: zorvandine-render");
        row("renderer --scale 0", renderer, QStringList{"--scale", "0", "a.ini", "b.png"}, "-", 1,
            "^$", "^zorvandine-render: --scale takes a whole number from 1 to 8\n");
        row("renderer --scale 9", renderer, QStringList{"--scale", "9", "a.ini", "b.png"}, "-", 1,
            "^$", "from 1 to 8");
        row("renderer --scale 8 of a 4096 area", renderer,
            QStringList{"--scale", "8", bigArea(), "b.png"}, "-", 1, "^$",
            "^zorvandine-render: --scale 8 makes the 4096 x 250 drawing area 32768 x 2000 pixels; "
            "a picture is at most 16384 pixels a side\n$");
        row("renderer --quiet", renderer,
            QStringList{"--quiet", "--depth", "1", defaultIni(), defaultIni() + ".png"}, "-", 0,
            "^$", "^$");
        row("window --help", window, QStringList{"--help"}, "", 0,
            "^Usage: zorvandine \\[options\\] \\[FILE\\]\n", "^$");
        row("window --version", window, QStringList{"--version"}, "", 0, "^1\\.0b\n$", "^$");
        row("window, unknown option", window, QStringList{"--bogus"}, "", 1, "^$",
            "^zorvandine: Unknown option 'bogus'\\.\nUsage: zorvandine");
        row("window, two files", window, QStringList{"a.prm", "b.prm"}, "", 1, "^$",
            "^zorvandine: only one parameter file can be opened\n");
        row("window without a display", window, QStringList{}, "", 1, "^$",
            "^zorvandine: there is no display .*\nStart it from a desktop session .*xvfb-run.*\n$");
        row("window with a display that is not there", window, QStringList{}, ":9999", 1, "^$",
            "could not connect to display(.|\n)*\nzorvandine: the window cannot be opened.*\n"
            "Start it from a desktop session .*\n$");
    }

    void commandLines() {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(QString, display);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (display != u"-") {
            environment.remove("QT_QPA_PLATFORM");
            environment.remove("WAYLAND_DISPLAY");
            environment.remove("DISPLAY");
            if (!display.isEmpty()) {
                environment.insert("DISPLAY", display);
            }
        }
        const Run run = render(arguments, program, environment);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QRegularExpression(out).match(run.out).hasMatch(), qPrintable(run.out));
        QVERIFY2(QRegularExpression(err).match(run.err).hasMatch(), qPrintable(run.err));
    }

    // --scale N draws the same figure N times larger: nearly every inked pixel
    // of the plain picture has ink in the large one within a block, and back.
    void scaledPictureIsThePlainOneSharper_data() {
        QTest::addColumn<int>("type"); // 5: the chaos game
        QTest::addColumn<int>("scale");
        for (int type = 0; type < FractalTypeCount; ++type) {
            QTest::addRow("type %d, scale 3", type) << type << 3;
        }
        QTest::addRow("chaos game, scale 4") << 5 << 4;
    }

    void scaledPictureIsThePlainOneSharper() {
        QFETCH(int, type);
        QFETCH(int, scale);
        const Factory f = factoryFigure(type);
        const QString input = writeInput(f), depth = type == 5 ? "3000" : "4";
        QImage pictures[2];
        for (const int n : {1, scale}) {
            const QString out = dir_.filePath(QString("scale%1.png").arg(n));
            QCOMPARE(render({"--depth", depth, "--seed", "3", "--scale", QString::number(n), input,
                             out})
                         .exitCode,
                     0);
            pictures[n > 1] = QImage(out).convertToFormat(QImage::Format_RGB32);
        }
        QCOMPARE(pictures[1].size(), pictures[0].size() * scale);
        const QRgb back = rgb(f.general.BackColor);
        // Of the inked pixels of picture i: how many, and the share with ink in
        // the other picture within a pixel of the plain picture.
        const auto matched = [&](int i) {
            const int unit = i == 0 ? scale : 1; // a plain pixel in the other picture
            qint64 all = 0, near = 0;
            for (int y = 0; y < pictures[i].height(); ++y) {
                for (int x = 0; x < pictures[i].width(); ++x) {
                    if (pictures[i].pixel(x, y) == back) {
                        continue;
                    }
                    ++all;
                    const int px = i == 0 ? x : x / scale, py = i == 0 ? y : y / scale;
                    bool found = false;
                    for (int v = (py - 1) * unit; v < (py + 2) * unit && !found; ++v) {
                        for (int u = (px - 1) * unit; u < (px + 2) * unit && !found; ++u) {
                            found = pictures[1 - i].valid(u, v) && pictures[1 - i].pixel(u, v) != back;
                        }
                    }
                    near += found;
                }
            }
            return std::pair{all, all == 0 ? 0.0 : double(near) / double(all)};
        };
        const auto [plainInk, plainShare] = matched(0);
        const auto [largeInk, largeShare] = matched(1);
        // Lines are scale pixels wide: the ink grows with the area, not the length.
        const double growth = double(largeInk) / double(plainInk * scale * scale);
        qInfo("matched %.3f and %.3f, ink grew by %.2f of scale squared", plainShare, largeShare,
              growth);
        QVERIFY(plainShare >= 0.97 && largeShare >= 0.97);
        QVERIFY(growth > 0.6 && growth < 1.6);
    }

    // On a terminal a long run shows a progress line and wipes it at the end,
    // so only the counters remain on the screen; elsewhere nothing is added.
    void progressLineOnlyOnATerminal_data() {
        QTest::addColumn<bool>("terminal");
        QTest::newRow("terminal") << true;
        QTest::newRow("pipe") << false;
    }

    void progressLineOnlyOnATerminal() {
        QFETCH(bool, terminal);
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        RendererOptions options;
        options.progressOnTerminal = terminal;
        options.progressDelay = std::chrono::milliseconds(0);
        QCOMPARE(runRenderer({"--type", "4", "--depth", "6", defaultIni(), dir_.filePath("p.png")},
                             outStream, errStream, options),
                 ExitDrawn);
        outStream.flush();
        errStream.flush();
        QVERIFY(out.startsWith("Elements drawn: "));
        if (!terminal) {
            QCOMPARE(err, QString());
            return;
        }
        static const QRegularExpression progress(
            "^\\rElements drawn: \\d+, \\d+ per second, \\d+% *(\\r|$)");
        QVERIFY2(progress.match(err).hasMatch(), qPrintable(err));
        // Wiped: the last write is blanks over the longest line, then a return.
        const qsizetype last = err.lastIndexOf(u'\r', err.size() - 2);
        QVERIFY(last >= 0 && err.endsWith('\r'));
        QCOMPARE(err.mid(last + 1).chopped(1).trimmed(), QString());
    }
};

QTEST_GUILESS_MAIN(RendererTest)
#include "tst_renderer.moc"
