// zorvandine-render as a process: the command lines of both programs (help,
// wrong options and values, damaged input, output that cannot be written, the
// window program without a display) and the example parameter files shipped in
// data/gallery, drawn as SVG. The figures and the progress line are
// tst_buildup's; both programs' --version lines are checked with the package.

#include "../DataRows.h"
#include "../HostileFiles.h"
#include "FileMod.h"
#include "FractalCatalogue.h"

#include <QtTest>

using namespace zv;
using namespace zvtest;

namespace {

struct Drawing {
    QList<QPointF> corners; // of every shape after the clearing rectangle
    int shown = 0;          // shapes in a colour other than the background
};

// Reads what the renderer wrote as SVG: where its shapes lie (a box's far
// corner and a circle's radius included), and how many are in a colour other
// than the clearing rectangle's. A one-pixel box without a stroke is a plotted
// point and counts as its corner, so the chaos game's points on the right and
// bottom edge count as inside.
Drawing readSvg(const QString& path) {
    QXmlStreamReader xml(fileBytes(path));
    xml.readNextStartElement(); // the svg element
    xml.readNextStartElement(); // the clearing rectangle
    const QString background = xml.attributes().value("fill").toString();
    xml.skipCurrentElement();
    Drawing d;
    while (xml.readNextStartElement()) {
        const QXmlStreamAttributes a = xml.attributes();
        const auto v = [&a](const QString& name) { return a.value(name).toDouble(); };
        const QString stroke = a.value("stroke").toString(), fill = a.value("fill").toString();
        d.shown += (!stroke.isEmpty() && stroke != background) ||
                   (fill != u"none" && !fill.isEmpty() && fill != background);
        const bool point = v("width") == 1 && v("height") == 1 && stroke.isEmpty();
        const QPointF size = point ? QPointF() : QPointF(v("width"), v("height")),
                      radius(v("r"), v("r"));
        for (const QString x : {"x", "x1", "x2", "cx"}) {
            const QPointF corner(v(x), v(QString(x).replace(u'x', u'y')));
            if (a.hasAttribute(x)) {
                d.corners << corner - radius << corner + radius + size;
            }
        }
        for (const QString& p : a.value("points").toString().split(u' ', Qt::SkipEmptyParts)) {
            d.corners << QPointF(p.section(u',', 0, 0).toDouble(), p.section(u',', 1).toDouble());
        }
        xml.skipCurrentElement();
    }
    return xml.hasError() || background.isEmpty() ? Drawing() : d;
}

} // namespace

class RendererTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase() { withoutDisplay(); }

    // Both programs: help on stdout with status 0; a wrong option or value is
    // one line and the usage on stderr with status 1, before anything is read
    // or written; the window program (run without a display, or with
    // "DISPLAY=..." first) explains itself and ends with 1 instead of aborting.
    // The renderer's failures: damaged input, exit 2; output that cannot be
    // written (a FIFO in the way, a full disk, that is a file size
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
        const QByteArray ini = factorySettings();
        QVERIFY(writeBytes(files.filePath("in.ini"), ini) &&
                writeBytes(files.filePath("wide.ini"),
                           QByteArray(ini).replace("\r\n200\r\n250\r\n", "\r\n4096\r\n250\r\n")) &&
                writeBytes(files.filePath("bad.ini"), "\x1b[31m" + QByteArray(10'000'000, 'A')) &&
                ::mkfifo(QFile::encodeName(files.filePath("fifo.png")), 0600) == 0);
        const QStringList before = files.entryList(QDir::AllEntries | QDir::System);
        QProcess p;
        p.setWorkingDirectory(folder.path());
        p.setProcessEnvironment(environment);
        std::optional<FileSizeLimit> fullDisk; // the program's writes beyond 300 bytes fail
        if (QString(QTest::currentDataTag()).endsWith("full disk")) {
            fullDisk.emplace(300);
        }
        p.start(command[0], command.mid(1));
        fullDisk.reset();
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

    // Each example reads, draws with exit 0 inside its drawing area, spans at
    // least half of it and shows on its background; together they show every
    // type in every draw mode.
    void examples() {
        const QDir gallery(QStringLiteral(ZORVANDINE_GALLERY));
        QSet<QPair<int, int>> shown;
        const QString output = dir_.filePath("figure.svg");
        for (const QString& name : gallery.entryList({"*.prm"}, QDir::Files, QDir::Name)) {
            const QString input = gallery.filePath(name);
            GeneralValuesCollector general;
            FractalParameters records;
            std::uint8_t type = 0;
            QVERIFY2(!ReadParameterFile(input, general, records, &type), qPrintable(name));
            shown.insert({type, catalogueRow(FractalType(type)).drawMode(records)});
            QProcess p;
            p.start(QStringLiteral(ZORVANDINE_RENDER), {"--seed", "1", input, output});
            QVERIFY2(p.waitForFinished(120000) && p.exitCode() == 0, qPrintable(name));

            const Drawing d = readSvg(output);
            const QRectF area(0, 0, general.Values.AreaWidth.toDouble(),
                              general.Values.AreaHeight.toDouble());
            const QRectF drawn = QPolygonF(d.corners).boundingRect(); // empty: none
            QVERIFY2(d.shown > 0 && area.contains(drawn) && drawn.width() >= area.width() / 2 &&
                         drawn.height() >= area.height() / 2,
                     qPrintable(name + ": " + QDebug::toString(drawn)));
        }
        // A type or mode added to the catalogue needs its example here.
        QSet<QPair<int, int>> all;
        for (const FractalTypeRow& row : FractalCatalogue) {
            for (int mode = 0; mode < DrawModeCount; ++mode) {
                if (row.offers(mode)) {
                    all.insert({int(row.type), mode});
                }
            }
        }
        QCOMPARE(shown, all);
    }
};

QTEST_GUILESS_MAIN(RendererTest)
#include "tst_renderer.moc"
