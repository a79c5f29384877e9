// The build-up of a figure: the still of its first M elements (--elements) and
// the animation whose frame k is the still of round(k E / N) elements, for
// every type and draw mode, the seeded chaos game and random colours.

#include "AnimationEncoder.h"
#include "FileMod.h"
#include "Renderer.h"

#include "AnimationFiles.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace zv;
using namespace zvtest;

namespace {

struct Figure {
    int type, mode, depth;
    bool randomColors;
};

struct Result {
    int exitCode = -1;
    qint64 elements = -1; // as reported
};

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace
Q_DECLARE_METATYPE(Figure)

class BuildUpTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString input(const Figure& f) {
        GeneralValuesCollector general;
        FractalParameters records;
        ReadSettingsFile(QCoreApplication::applicationDirPath() + "/Default.ini", general, records);
        GeneralValues& g = general.Values;
        g.FractalType = static_cast<std::uint8_t>(f.type);
        g.CalcDepth = QString::number(f.depth);
        g.RandomForeColor = f.randomColors ? 1 : 0;
        g.AreaWidth = "180";
        g.AreaHeight = "160";
        const auto mode = static_cast<std::uint8_t>(f.mode);
        records.CantorSet.DrawMode = records.SierpinskyGadget.DrawMode = mode;
        records.KochCurve.DrawMode = mode;
        records.LSystem.FixPoints = {FixPoint{90, 150}, FixPoint{90, 100}}; // in the area
        records.LSystem.LineLength = 3;
        const QString path = dir_.filePath(QStringLiteral("figure.prm"));
        return WriteParameterFile(path, g, records) ? QString() : path;
    }

    // The renderer in this process, with a fixed seed.
    Result render(const Figure& f, const QStringList& options, const QString& output) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        Result r;
        r.exitCode = runRenderer(QStringList{"--seed", "11"} + options +
                                     QStringList{input(f), dir_.filePath(output)},
                                 outStream, errStream);
        outStream.flush();
        errStream.flush();
        const QRegularExpressionMatch m =
            QRegularExpression("^Elements drawn: (\\d+)\n").match(out);
        r.elements = m.hasMatch() ? m.captured(1).toLongLong() : -1;
        return r;
    }
    QImage picture(const QString& name) {
        return QImage(dir_.filePath(name)).convertToFormat(QImage::Format_RGB32);
    }

    void figureRows() {
        QTest::addColumn<Figure>("figure");
        QTest::newRow("Cantor set") << Figure{0, 0, 3, false};
        QTest::newRow("Cantor set demo") << Figure{0, 3, 4, false};
        QTest::newRow("cross") << Figure{1, 0, 3, false};
        QTest::newRow("gadget") << Figure{2, 0, 4, false};
        QTest::newRow("chaos game") << Figure{2, 1, 3000, false};
        QTest::newRow("gadget demo") << Figure{2, 3, 40, false};
        QTest::newRow("Koch curve") << Figure{3, 0, 3, false};
        QTest::newRow("Koch curve by the turtle") << Figure{3, 2, 3, false};
        QTest::newRow("L-system") << Figure{4, 2, 3, false};
        QTest::newRow("cross in random colours") << Figure{1, 0, 3, true};
        QTest::newRow("chaos game in random colours") << Figure{2, 1, 2000, true};
    }

private slots:
    // Wrong animation arguments: one line naming the option, exit 1, no file.
    void refused_data() {
        QTest::addColumn<QStringList>("arguments"); // the output's name last
        QTest::addColumn<QString>("message");
        const auto row = [](const char* tag, const char* arguments, const char* message) {
            QTest::newRow(tag) << QString(arguments).split(' ')
                               << QString("zorvandine-render: ") + message;
        };
        const char* frames = "--frames takes a whole number from 1 to 10000";
        row("no frames", "--frames 0 a.gif", frames);
        row("1e9 frames", "--frames 1e9 a.webp", frames);
        row("0 fps", "--fps 0 a.gif", "--fps takes a number from 0.1 to 50");
        row("hold below 0", "--hold -1 a.webp", "--hold takes a number of seconds from 0 to 600");
        row("unknown extension", "a.jpg", "OUTPUT must end in .bmp, .png, .svg, .gif or .webp");
        row("frames of a still", "--frames 5 a.png",
            "--frames, --fps and --hold need a .gif or .webp OUTPUT");
        row("elements of an animation", "--elements 5 a.gif",
            "--elements makes a still; an animation shows every element");
    }
    void refused() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        arguments.last() = dir.filePath(arguments.last());
        arguments.insert(arguments.size() - 1,
                         QCoreApplication::applicationDirPath() + "/Default.ini");
        QCOMPARE(runRenderer(arguments, outStream, errStream), ExitUsage);
        errStream.flush();
        QCOMPARE(err.section(u'\n', 0, 0), message);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), {});
    }

    // Up to 256 colours the GIF's palette holds them exactly (up to 255
    // leave an index for the pixels a frame keeps); beyond, the back and
    // drawing colours stay exact and the rest come near.
    void palettes_data() {
        QTest::addColumn<int>("colors");
        for (int n : {2, 255, 256, 300}) {
            QTest::addRow("%d colours", n) << n;
        }
    }
    void palettes() {
        QFETCH(int, colors);
        const QRgb back = qRgb(250, 250, 250), drawing = qRgb(7, 9, 11);
        std::vector<QRgb> palette{back, drawing};
        for (int i = 2; i < colors; ++i) {
            palette.push_back(qRgb(i % 7 * 37, i / 7 * 6, i * 97 % 256));
        }
        QImage before(20, 16, QImage::Format_RGB32), after;
        before.fill(back);
        after = before;
        for (int i = 0; i < colors; ++i) {
            after.setPixel(i % 20, i / 20, palette[std::size_t(i)]);
        }
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QString error;
        const AnimationTiming timing{2, 10, 0};
        const auto gif =
            MakeGifEncoder(buffer, before.size(), palette, back, drawing, timing, error);
        QVERIFY(gif && !gif->AddFrame(before, before, before.rect(), 0) &&
                !gif->AddFrame(after, before, QRect(0, 0, 20, 16), 1) && !gif->Finish());
        const Animation a = decode(buffer.data(), "gif");
        QCOMPARE(a.frames.size(), 2);
        QCOMPARE(a.frames[0], before);
        for (int i = 0; i < colors; ++i) {
            const QRgb shown = a.frames[1].pixel(i % 20, i / 20), wanted = after.pixel(i % 20, i / 20);
            const int off = std::max({std::abs(qRed(shown) - qRed(wanted)),
                                      std::abs(qGreen(shown) - qGreen(wanted)),
                                      std::abs(qBlue(shown) - qBlue(wanted))});
            QVERIFY2(off <= (colors <= 256 || i < 2 ? 0 : 25), qPrintable(QString::number(i)));
        }
    }

    // --elements M stops after M elements and reports them (one more where
    // an element counts two lines, a Koch bump or a demo bar pair, and M
    // falls between them); none leaves the cleared canvas, more than the
    // figure has gives the whole figure. Frame k of N, decoded, is the still
    // of the first round(k E / N) elements; the frames last 1/fps (the GIF's
    // centiseconds rounded each from the start), the last one the hold; both
    // formats loop forever.
    void frames_data() { figureRows(); }
    void frames() {
        QFETCH(Figure, figure);
        const int n = 6;
        const double fps = 8, hold = 1.5;
        const qint64 total = render(figure, {}, "whole.png").elements;
        QVERIFY(total > 4);
        const bool pairs = (figure.type == 3 && figure.mode == 0) ||
                           (figure.type == 0 && figure.mode == 3);
        QList<QImage> stills; // 0 elements, frames 1 to n, more than all
        for (int k = 0; k <= n + 1; ++k) {
            // halves to even: 2.5 elements make frame 1 of 6 at 15 elements
            const auto m = k > n ? total + 9 : qint64(std::nearbyint(double(k) * total / n));
            const Result part = render(figure, {"--elements", QString::number(m)}, "part.png");
            QCOMPARE(part.exitCode, 0);
            const qint64 expected = std::min(m, total);
            QVERIFY2(part.elements == expected || (pairs && part.elements == expected + 1),
                     qPrintable(QString("%1 for %2").arg(part.elements).arg(m)));
            stills << picture("part.png");
        }
        QImage cleared(stills[0].size(), QImage::Format_RGB32);
        cleared.fill(qRgb(255, 255, 255)); // the factory back colour
        QCOMPARE(stills[0], cleared);
        QCOMPARE(stills[n + 1], picture("whole.png"));
        QCOMPARE(stills[n], stills[n + 1]);
        for (const QString format : {"gif", "webp"}) {
            const QString name = "build-up." + format;
            const QStringList options{"--frames", QString::number(n), "--fps", "8",
                                      "--hold", "1.5"};
            const Result r = render(figure, options, name);
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.elements, total);
            const Animation a = decode(bytesOf(dir_.filePath(name)), format);
            QVERIFY2(!a.frames.isEmpty() && a.frames.size() <= n, qPrintable(format));
            QCOMPARE(a.loops, 0);
            QVERIFY2(std::abs(a.ends.last() - ((n - 1) / fps + hold) * 1000) <= 10,
                     qPrintable(QString::number(a.ends.last())));
            for (int k = 1; k <= n; ++k) {
                QVERIFY2(a.at((k - 0.5) / fps * 1000) == stills[k],
                         qPrintable(QString("%1, frame %2").arg(format).arg(k)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(BuildUpTest)
#include "tst_buildup.moc"
