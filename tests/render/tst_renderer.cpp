// zorvandine-render as a process: pictures of every factory figure in every
// format, counters against their closed forms, and the exit codes.

#include "FileMod.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace zv;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
    qint64 elements = -1;
    qint64 recursions = -1;
};

Run render(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral(ZORVANDINE_RENDER), arguments);
    Run r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    for (const QString& l : lines) {
        if (l.startsWith(u"Elements drawn: ")) {
            r.elements = l.mid(16).toLongLong();
        } else if (l.startsWith(u"Recursions: ")) {
            r.recursions = l.mid(12).toLongLong();
        }
    }
    return r;
}

QString defaultIni() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Default.ini");
}

// The factory settings as the program reads them.
struct Factory {
    GeneralValues general;
    FractalParameters records;
};

Factory factory() {
    Factory f;
    GeneralValuesCollector c;
    if (ReadSettingsFile(defaultIni(), c, f.records)) {
        qFatal("Default.ini does not read");
    }
    f.general = c.Values;
    return f;
}

qint64 power(qint64 base, int exponent) {
    qint64 r = 1;
    for (int i = 0; i < exponent; ++i) {
        r *= base;
    }
    return r;
}

qint64 segments(const std::vector<FixPoint>& points, bool connectLast) {
    return static_cast<qint64>(points.size()) - 1 + (connectLast ? 1 : 0);
}

// Tag names of the drawing elements of an SVG file, in document order.
QStringList svgElements(const QString& path, QStringList* fills = nullptr) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QXmlStreamReader xml(&file);
    QStringList names;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() != QLatin1String("svg")) {
            names << xml.name().toString();
            if (fills) {
                *fills << xml.attributes().value(QLatin1String("fill")).toString();
            }
        }
    }
    if (xml.hasError()) {
        return {QStringLiteral("<xml error>")};
    }
    return names;
}

} // namespace

class RendererTest : public QObject {
    Q_OBJECT

private slots:
    void factoryFigures_data();
    void factoryFigures();
    void closedForms_data();
    void closedForms();
    void badInput_data();
    void badInput();
    void unwritableOutput_data();
    void unwritableOutput();
    void seedReproducesRandomRuns();
    void recursiveGadgetCutsInBackground();

private:
    QTemporaryDir dir_;
};

void RendererTest::factoryFigures_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("format");
    for (int type = 0; type < FractalTypeCount; ++type) {
        for (const char* format : {"bmp", "png", "svg"}) {
            QTest::addRow("type %d to %s", type, format) << type << QString::fromLatin1(format);
        }
    }
}

// Every section of Default.ini draws a figure of the general section's size on
// its background; an SVG holds one element per drawn element.
void RendererTest::factoryFigures() {
    QFETCH(int, type);
    QFETCH(QString, format);
    const QString output = dir_.filePath(QStringLiteral("factory-%1.%2").arg(type).arg(format));
    const Run run = render({QStringLiteral("--type"), QString::number(type),
                            QStringLiteral("--depth"), QStringLiteral("3"),
                            QStringLiteral("--seed"), QStringLiteral("7"), defaultIni(), output});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.elements > 0, qPrintable(run.out));
    QVERIFY(run.recursions >= 0);
    const Factory f = factory();

    if (format == u"svg") {
        const QStringList names = svgElements(output);
        QVERIFY(!names.isEmpty());
        QCOMPARE(names.front(), QStringLiteral("rect")); // the clear
        const auto count = [&](const char* n) { return names.count(QString::fromLatin1(n)); };
        switch (type) {
        case CantorSetType:
            QCOMPARE(count("rect") - 1, run.elements);
            break;
        case SierpinskyGadgetType:
            QCOMPARE(count("polygon") - 1, run.elements);
            break;
        case LSystemType:
            QVERIFY(count("line") > 0 && count("line") <= run.elements);
            break;
        default:
            QCOMPARE(count("line"), run.elements);
            break;
        }
        return;
    }
    QImage image(output);
    QVERIFY(!image.isNull());
    QCOMPARE(image.width(), f.general.AreaWidth.toInt());
    QCOMPARE(image.height(), f.general.AreaHeight.toInt());
    // Exact colours: the corner is background, and the drawing colour is there.
    const QRgb background = qRgb(f.general.BackColor & 0xFF, (f.general.BackColor >> 8) & 0xFF,
                                 (f.general.BackColor >> 16) & 0xFF);
    const QRgb drawing = qRgb(f.general.ForeColor & 0xFF, (f.general.ForeColor >> 8) & 0xFF,
                              (f.general.ForeColor >> 16) & 0xFF);
    QCOMPARE(image.pixel(0, 0), background);
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y) {
        for (int x = 0; x < image.width() && !drawn; ++x) {
            drawn = image.pixel(x, y) == drawing;
        }
    }
    QVERIFY(drawn);
}

void RendererTest::closedForms_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("drawMode"); // -1: as in Default.ini
    QTest::addColumn<int>("depth");
    for (int depth : {0, 1, 2, 4}) {
        for (int type = 0; type < FractalTypeCount; ++type) {
            QTest::addRow("type %d, depth %d", type, depth) << type << -1 << depth;
        }
        QTest::addRow("chaos game, depth %d", depth) << 2 << 1 << depth;
    }
    QTest::addRow("chaos game, depth 1000") << 2 << 1 << 1000;
    QTest::addRow("L-system, depth 9 rewrites 7 times") << 4 << -1 << 9;
}

void RendererTest::closedForms() {
    QFETCH(int, type);
    QFETCH(int, drawMode);
    QFETCH(int, depth);
    Factory f = factory();
    f.general.FractalType = static_cast<std::uint8_t>(type);
    if (drawMode >= 0) {
        f.records.SierpinskyGadget.DrawMode = static_cast<std::uint8_t>(drawMode);
    }
    const QString input = dir_.filePath(QStringLiteral("closed-%1.prm").arg(type));
    QVERIFY(!WriteParameterFile(input, f.general, f.records));
    const Run run = render({QStringLiteral("--depth"), QString::number(depth), input,
                            dir_.filePath(QStringLiteral("closed.png"))});
    QCOMPARE(run.exitCode, 0);

    // 1 + 4 + ... + 4^(D-1); only asked for at the depths of the recursive rows.
    const auto quarterPowers = [depth] { return (power(4, depth) - 1) / 3; };
    qint64 elements = 0;
    qint64 recursions = 0;
    switch (type) {
    case CantorSetType: {
        const int k = f.records.CantorSet.ElementsCount;
        for (int i = 1; i <= depth; ++i) {
            recursions += power(k, i);
        }
        elements = 1 + recursions;
        break;
    }
    case CrossType: {
        const qint64 n = segments(f.records.Cross.FixPoints, f.records.Cross.ConnectLast);
        recursions = n * quarterPowers();
        elements = recursions + n;
        break;
    }
    case SierpinskyGadgetType:
        if (drawMode == ChaosGameMode) {
            elements = depth;
            recursions = 0;
        } else {
            elements = recursions = (power(3, depth) - 1) / 2;
        }
        break;
    case KochCurveType: {
        const qint64 n = segments(f.records.KochCurve.FixPoints, f.records.KochCurve.ConnectLast);
        recursions = n * quarterPowers();
        elements = 2 * recursions + n;
        break;
    }
    default: {
        // Every character is an element: each pass puts the generator in place
        // of every F. Rewriting stops after 7 passes.
        const std::string& init = f.records.LSystem.InitiatorString;
        const std::string& gen = f.records.LSystem.GeneratorString;
        qint64 length = static_cast<qint64>(init.size());
        qint64 fs = std::count(init.begin(), init.end(), 'F');
        const qint64 genFs = std::count(gen.begin(), gen.end(), 'F');
        for (int pass = 0; pass < std::min(depth, 7); ++pass) {
            length += fs * (static_cast<qint64>(gen.size()) - 1);
            fs *= genFs;
        }
        elements = length;
        recursions = 0;
        break;
    }
    }
    QCOMPARE(run.elements, elements);
    QCOMPARE(run.recursions, recursions);
}

void RendererTest::badInput_data() {
    QTest::addColumn<QString>("content"); // "<none>": the file does not exist
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("where"); // expected in the message

    const QString good = [] {
        QFile f(defaultIni());
        f.open(QIODevice::ReadOnly);
        return QString::fromLatin1(f.readAll());
    }();
    QStringList lines = good.split(QStringLiteral("\r\n"));
    auto with = [&](int line, const QString& text) {
        QStringList l = lines;
        l[line - 1] = text;
        return l.join(QStringLiteral("\r\n"));
    };
    QTest::newRow("missing file") << "<none>"
                                  << "missing.ini" << QStringList() << "missing.ini";
    QTest::newRow("empty file") << ""
                                << "empty.ini" << QStringList() << "line 1";
    QTest::newRow("ElementsCount 256")
        << with(18, "256") << "bad.ini" << QStringList() << "line 18";
    QTest::newRow("colour word") << with(7, "white") << "bad.ini" << QStringList() << "line 7";
    QTest::newRow("colour beyond 24 bits")
        << with(8, "16777216") << "bad.ini" << QStringList() << "line 8";
    QTest::newRow("area width no number")
        << with(5, "wide") << "bad.ini" << QStringList() << "line 5";
    QTest::newRow("area height 0") << with(6, "0") << "bad.ini" << QStringList() << "line 6";
    QTest::newRow("negative depth") << with(10, "-3") << "bad.ini" << QStringList() << "line 10";
    QTest::newRow("file ends in the L-system section")
        << lines.mid(0, 50).join(QStringLiteral("\r\n")) << "short.ini" << QStringList()
        << "line 51";
    QTest::newRow("parameter file asked for another type")
        << lines.mid(0, 18).join(QStringLiteral("\r\n")) << "cantor.prm"
        << QStringList{"--type", "2"} << "cantor.prm";
}

void RendererTest::badInput() {
    QFETCH(QString, content);
    QFETCH(QString, name);
    QFETCH(QStringList, options);
    QFETCH(QString, where);
    QTemporaryDir dir;
    const QString input = dir.filePath(name);
    if (content != u"<none>") {
        QFile f(input);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content.toLatin1());
    }
    const QString output = dir.filePath(QStringLiteral("out.png"));
    const Run run = render(options + QStringList{input, output});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(name) && run.err.contains(where), qPrintable(run.err));
    QCOMPARE(run.err.count(u'\n'), 1);
    QVERIFY(!QFile::exists(output));
}

void RendererTest::unwritableOutput_data() {
    QTest::addColumn<QString>("output");
    QTest::newRow("a directory in the way") << "blocked.png";
    QTest::newRow("a directory in the way of an SVG") << "blocked.svg";
    QTest::newRow("no such folder") << "none/out.bmp";
    QTest::newRow("below a file") << "file.txt/out.png";
}

void RendererTest::unwritableOutput() {
    QFETCH(QString, output);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("blocked.png")));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("blocked.svg")));
    QFile file(dir.filePath(QStringLiteral("file.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    const Run run = render(
        {QStringLiteral("--depth"), QStringLiteral("1"), defaultIni(), dir.filePath(output)});
    QCOMPARE(run.exitCode, 3);
    QVERIFY2(run.err.contains(output), qPrintable(run.err));
}

void RendererTest::seedReproducesRandomRuns() {
    Factory f = factory();
    f.general.FractalType = SierpinskyGadgetType;
    f.general.RandomForeColor = 1;
    f.records.SierpinskyGadget.DrawMode = ChaosGameMode;
    const QString input = dir_.filePath(QStringLiteral("chaos.prm"));
    QVERIFY(!WriteParameterFile(input, f.general, f.records));
    QList<QByteArray> pictures;
    for (const char* seed : {"5", "5", "6"}) {
        const QString output = dir_.filePath(QStringLiteral("chaos.svg"));
        const Run run = render({QStringLiteral("--seed"), QString::fromLatin1(seed),
                                QStringLiteral("--depth"), QStringLiteral("500"), input, output});
        QCOMPARE(run.exitCode, 0);
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        pictures << file.readAll();
    }
    QCOMPARE(pictures[0], pictures[1]);
    QVERIFY(pictures[0] != pictures[2]);
}

// The recursive gadget fills the big triangle in the drawing colour and cuts
// its holes in the background colour, unless colours are random.
void RendererTest::recursiveGadgetCutsInBackground() {
    Factory f = factory();
    f.general.FractalType = SierpinskyGadgetType;
    f.general.BackColor = 0x00FF00; // green
    f.general.ForeColor = 0x0000FF; // red
    f.records.SierpinskyGadget.DrawMode = RecursiveMode;
    // Check state 2 (greyed) is neither random colours nor the gadget's
    // background exception: the holes take the drawing colour.
    for (std::uint8_t random : {0, 1, 2}) {
        f.general.RandomForeColor = random;
        const QString input = dir_.filePath(QStringLiteral("gadget.prm"));
        QVERIFY(!WriteParameterFile(input, f.general, f.records));
        const QString output = dir_.filePath(QStringLiteral("gadget.svg"));
        const Run run = render({QStringLiteral("--depth"), QStringLiteral("3"),
                                QStringLiteral("--seed"), QStringLiteral("1"), input, output});
        QCOMPARE(run.exitCode, 0);
        QStringList fills;
        const QStringList names = svgElements(output, &fills);
        QCOMPARE(names.count(QStringLiteral("polygon")), 1 + (1 + 3 + 9));
        QCOMPARE(fills[0], QStringLiteral("#00ff00")); // the clear
        QCOMPARE(fills[1], QStringLiteral("#ff0000")); // the big triangle
        const QStringList holes = fills.mid(2);
        if (random == 0) {
            QCOMPARE(holes.count(QStringLiteral("#00ff00")), holes.size());
        } else if (random == 1) {
            QCOMPARE(holes.count(QStringLiteral("#00ff00")), 0);
        } else {
            QCOMPARE(holes.count(QStringLiteral("#ff0000")), holes.size());
        }
    }
}

QTEST_GUILESS_MAIN(RendererTest)
#include "tst_renderer.moc"
