// zorvandine-render as a process: a factory figure in every format, counters
// against their closed forms, the exit codes and the seed.

#include "FileMod.h"

#include <QColor>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace zv;

namespace {

struct Run {
    int exitCode = -1;
    QString err;
    qint64 elements = -1;
    qint64 recursions = -1;
};

Run render(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral(ZORVANDINE_RENDER), arguments);
    Run r;
    if (p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit) {
        static const QRegularExpression counters(
            QStringLiteral("^Elements drawn: (\\d+)\r?\nRecursions: (\\d+)\r?\n$"));
        const auto m = counters.match(QString::fromLocal8Bit(p.readAllStandardOutput()));
        r = {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError()),
             m.hasMatch() ? m.captured(1).toLongLong() : -1,
             m.hasMatch() ? m.captured(2).toLongLong() : -1};
    }
    return r;
}

QString defaultIni() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Default.ini");
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

    QTemporaryDir dir_;
    QString writeInput(const Factory& f) {
        const QString input = dir_.filePath(QStringLiteral("input.prm"));
        return WriteParameterFile(input, f.general, f.records) ? QString() : input;
    }

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
        Factory f = factory();
        f.general.FractalType = static_cast<std::uint8_t>(type == 5 ? SierpinskyGadgetType : type);
        f.records.SierpinskyGadget.DrawMode = type == 5 ? ChaosGameMode : RecursiveMode;
        const Run run = render({"--depth", QString::number(depth), writeInput(f),
                                dir_.filePath(QStringLiteral("closed.png"))});
        QCOMPARE(run.exitCode, 0);
        const auto segments = [](const auto& r) {
            return qint64(r.FixPoints.size()) - !r.ConnectLast;
        };
        const qint64 quarters = (power(4, depth) - 1) / 3; // 1 + 4 + ... + 4^(D-1)
        qint64 recursions = 0;
        qint64 elements = depth; // the chaos game: one point per level
        if (type == CantorSetType) {
            for (int i = 1; i <= depth; ++i) {
                recursions += power(f.records.CantorSet.ElementsCount, i);
            }
            elements = 1 + recursions;
        } else if (type == CrossType) {
            recursions = segments(f.records.Cross) * quarters;
            elements = recursions + segments(f.records.Cross);
        } else if (type == SierpinskyGadgetType) {
            elements = recursions = (power(3, depth) - 1) / 2;
        } else if (type == KochCurveType) {
            recursions = segments(f.records.KochCurve) * quarters;
            elements = 2 * recursions + segments(f.records.KochCurve);
        } else if (type == LSystemType) { // one element per character, at most 7 rewrites
            QString word = QString::fromStdString(f.records.LSystem.InitiatorString);
            for (int pass = 0; pass < std::min(depth, 7); ++pass) {
                word.replace(u'F', QString::fromStdString(f.records.LSystem.GeneratorString));
            }
            elements = word.size();
        }
        QCOMPARE(run.elements, elements);
        QCOMPARE(run.recursions, recursions);
    }

    // Damaged input: exit 2, one line naming file and line, no output.
    // Unwritable output (a folder where the file should go): exit 3.
    void failures_data() {
        QTest::addColumn<QByteArray>("content"); // empty: no such file
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QFile file(defaultIni());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray good = file.readAll();
        QList<QByteArray> lines = good.split('\n');
        QTest::newRow("missing file") << QByteArray() << "out.png" << 2 << "input.ini";
        QTest::newRow("ends in the L-system") << lines.mid(0, 50).join('\n') + '\n'
                                              << "out.bmp" << 2 << "line 51";
        lines[17] = "256\r";
        QTest::newRow("ElementsCount 256") << lines.join('\n') << "out.png" << 2 << "line 18";
        QTest::newRow("folder in the way of a PNG") << good << "dir.png" << 3 << "dir.png";
    }

    void failures() {
        QFETCH(QByteArray, content);
        QFETCH(QString, output);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QFile in(dir.filePath(QStringLiteral("input.ini")));
        QVERIFY(content.isEmpty() || (in.open(QIODevice::WriteOnly) && in.write(content) > 0));
        in.close();
        QVERIFY(QDir(dir.path()).mkdir("dir.png"));
        const Run run = render({"--depth", "1", in.fileName(), dir.filePath(output)});
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message) &&
                     run.err.contains(exitCode == 2 ? "input.ini" : output),
                 qPrintable(run.err));
        QVERIFY(exitCode == 3 ||
                (run.err.count(u'\n') == 1 && !QFile::exists(dir.filePath(output))));
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
};

QTEST_GUILESS_MAIN(RendererTest)
#include "tst_renderer.moc"
