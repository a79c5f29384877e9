// The build-up of a figure: the still of its first M elements (--elements) and
// the animation whose frame k is the still of round(k E / N) elements, for
// every type and draw mode, the seeded chaos game and random colours. The
// refused animation options are tst_renderer's command lines.

#include "AnimationEncoder.h"
#include "FileMod.h"
#include "Renderer.h"

#include "AnimationFiles.h"
#include "HostileFiles.h"

#include <QtTest>

using namespace zv;
using namespace zvtest;

struct Figure {
    int type, mode, depth;
    bool randomColors;
};
Q_DECLARE_METATYPE(Figure)

class BuildUpTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    // The renderer in this process with a fixed seed, on the factory settings
    // showing the figure in a 180 x 160 area: the elements it reports, -1 if
    // it failed.
    qint64 render(const Figure& f, const QStringList& options, const QString& output) {
        GeneralValuesCollector general;
        FractalParameters records;
        ReadSettingsFile(QCoreApplication::applicationDirPath() + "/Default.ini", general, records);
        GeneralValues& g = general.Values;
        g.FractalType = static_cast<std::uint8_t>(f.type);
        g.CalcDepth = QString::number(f.depth);
        g.RandomForeColor = f.randomColors;
        g.AreaWidth = "180";
        g.AreaHeight = "160";
        records.CantorSet.DrawMode = records.SierpinskyGadget.DrawMode =
            records.KochCurve.DrawMode = static_cast<std::uint8_t>(f.mode);
        records.LSystem.FixPoints = {FixPoint{90, 150}, FixPoint{90, 100}}; // in the area
        records.LSystem.LineLength = 3;
        const QString input = dir_.filePath("figure.prm");
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const int exitCode = !WriteParameterFile(input, g, records)
                                 ? runRenderer(QStringList{"--seed", "11"} + options +
                                                   QStringList{input, dir_.filePath(output)},
                                               outStream, errStream)
                                 : -1;
        outStream.flush();
        const QRegularExpressionMatch m =
            QRegularExpression("^Elements drawn: (\\d+)\n").match(out);
        return exitCode == 0 && m.hasMatch() ? m.captured(1).toLongLong() : -1;
    }
    QImage picture(const QString& name) {
        return QImage(dir_.filePath(name)).convertToFormat(QImage::Format_RGB32);
    }

private slots:
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
        std::vector<QRgb> palette{qRgb(250, 250, 250), qRgb(7, 9, 11)}; // back, drawing
        QImage before(20, 16, QImage::Format_RGB32);
        before.fill(palette[0]);
        QImage after = before;
        for (int i = 0; i < colors; ++i) {
            if (i >= 2) {
                palette.push_back(qRgb(i % 7 * 37, i / 7 * 6, i * 97 % 256));
            }
            after.setPixel(i % 20, i / 20, palette[std::size_t(i)]);
        }
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QString error;
        const auto gif = MakeGifEncoder(buffer, before.size(), palette, palette[0], palette[1],
                                        AnimationTiming{2, 10, 0}, error);
        QVERIFY(gif && !gif->AddFrame(before, before, before.rect(), 0) &&
                !gif->AddFrame(after, before, before.rect(), 1) && !gif->Finish());
        const Animation a = decode(buffer.data(), "gif");
        QCOMPARE(a.frames.size(), 2);
        QCOMPARE(a.frames[0], before);
        for (int i = 0; i < colors; ++i) {
            const QRgb shown = a.frames[1].pixel(i % 20, i / 20),
                       wanted = after.pixel(i % 20, i / 20);
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
    void frames_data() {
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
    void frames() {
        QFETCH(Figure, figure);
        const int n = 6;
        const double fps = 8, hold = 1.5;
        const qint64 total = render(figure, {}, "whole.png");
        QVERIFY(total > 4);
        if (figure.mode == 1 || figure.randomColors) { // another seed, other points or colours
            QCOMPARE(render(figure, {"--seed", "12"}, "other.png"), total);
            QVERIFY(picture("other.png") != picture("whole.png"));
        }
        const bool pairs =
            (figure.type == 3 && figure.mode == 0) || (figure.type == 0 && figure.mode == 3);
        QList<QImage> stills; // 0 elements, frames 1 to n, more than all
        for (int k = 0; k <= n + 1; ++k) {
            // halves to even: 2.5 elements make frame 1 of 6 at 15 elements
            const auto m = k > n ? total + 9 : qint64(std::nearbyint(double(k) * total / n));
            const qint64 drawn = render(figure, {"--elements", QString::number(m)}, "part.png");
            const qint64 wanted = std::min(m, total);
            QVERIFY2(drawn == wanted || (pairs && drawn == wanted + 1),
                     qPrintable(QString("%1 for %2").arg(drawn).arg(m)));
            stills << picture("part.png");
        }
        QImage cleared = stills[0];
        cleared.fill(qRgb(255, 255, 255)); // the factory back colour
        QCOMPARE(stills[0], cleared);
        QCOMPARE(stills[n + 1], picture("whole.png"));
        QCOMPARE(stills[n], stills[n + 1]);
        for (const QString format : {"gif", "webp"}) {
            const QString name = "build-up." + format;
            QCOMPARE(render(figure, {"--frames", "6", "--fps", "8", "--hold", "1.5"}, name), total);
            const Animation a = decode(fileBytes(dir_.filePath(name)), format);
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
