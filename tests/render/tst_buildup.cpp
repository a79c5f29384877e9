// Every figure drawn by the renderer in this process, seeded: its counters
// against their closed forms, the still of its first M elements (--elements),
// the animation whose frame k is the still of round(k E / N) elements, and the
// figure --scale 3 times larger; for every type and draw mode, the chaos game
// and random colours; the progress line on a terminal. The refused options are
// tst_renderer's command lines.

#include "../AnimationFiles.h"
#include "../HostileFiles.h"
#include "AnimationEncoder.h"
#include "FileMod.h"
#include "Renderer.h"

#include <QtTest>

using namespace zv;
using namespace zvtest;

struct Figure {
    int type, mode, depth;
    bool randomColors;
};
Q_DECLARE_METATYPE(Figure)

namespace {

// The counters (elements, recursions) of a figure worked out apart from the
// program, for the modes that have a closed form.
std::optional<QList<qint64>> closedForm(const Figure& f, const FractalParameters& r) {
    const auto segments = [](const auto& s) { return qint64(s.FixPoints.size()) - !s.ConnectLast; };
    if (f.type == CantorSetType && f.mode == RecursiveMode) {
        qint64 recursions = 0;
        for (int i = 1; i <= f.depth; ++i) {
            recursions += qint64(std::pow(r.CantorSet.ElementsCount, i));
        }
        return QList<qint64>{1 + recursions, recursions};
    }
    if ((f.type == CrossType || f.type == KochCurveType) && f.mode == RecursiveMode) {
        const qint64 n = f.type == CrossType ? segments(r.Cross) : segments(r.KochCurve);
        // per segment 1 + 4 + ... + 4^(D-1)
        const qint64 recursions = n * ((qint64(std::pow(4, f.depth)) - 1) / 3);
        return QList<qint64>{(f.type == CrossType ? 1 : 2) * recursions + n, recursions};
    }
    if (f.type == SierpinskyGadgetType && f.mode == RecursiveMode) {
        const qint64 cuts = (qint64(std::pow(3, f.depth)) - 1) / 2;
        return QList<qint64>{cuts, cuts};
    }
    if (f.type == SierpinskyGadgetType && f.mode == ChaosGameMode) { // a point per step
        return QList<qint64>{f.depth, 0};
    }
    if (f.type == LSystemType) { // one element per character, at most 7 rewrites
        QString word = QString::fromStdString(r.LSystem.InitiatorString);
        for (int pass = 0; pass < std::min(f.depth, 7); ++pass) {
            word.replace(u'F', QString::fromStdString(r.LSystem.GeneratorString));
        }
        return QList<qint64>{word.size(), 0};
    }
    return std::nullopt;
}

struct Ink {
    qint64 pixels = 0; // not in the factory back colour, white
    QRect bounds;
};

Ink inkOf(const QImage& image) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                ++ink.pixels;
                ink.bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

} // namespace

class BuildUpTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    GeneralValues general_; // the factory settings
    FractalParameters records_;
    QString err_; // of the last run

    FractalParameters records(const Figure& f) const {
        FractalParameters r = records_;
        r.CantorSet.DrawMode = r.SierpinskyGadget.DrawMode = r.KochCurve.DrawMode =
            static_cast<std::uint8_t>(f.mode);
        return r;
    }
    // The renderer in this process with seed 11 on the factory settings showing
    // the figure: the elements and recursions it reports, none if it failed or,
    // not on a terminal, wrote on stderr. A progress line shows without delay.
    QList<qint64> render(const Figure& f, const QStringList& options, const QString& output,
                         bool terminal = false) {
        GeneralValues g = general_;
        g.FractalType = static_cast<std::uint8_t>(f.type);
        g.CalcDepth = QString::number(f.depth);
        g.RandomForeColor = f.randomColors;
        const QString input = dir_.filePath("figure.prm");
        QString out;
        err_.clear();
        QTextStream outStream(&out), errStream(&err_);
        const QStringList arguments{input, dir_.filePath(output)};
        if (WriteParameterFile(input, g, records(f)) ||
            runRenderer(QStringList{"--seed", "11"} + options + arguments, outStream, errStream,
                        {terminal, std::chrono::milliseconds(0), {}})) {
            return {};
        }
        outStream.flush();
        errStream.flush();
        const QRegularExpressionMatch m =
            QRegularExpression("^Elements drawn: (\\d+)\nRecursions: (\\d+)\n$").match(out);
        return m.hasMatch() && (terminal || err_.isEmpty())
                   ? QList<qint64>{m.captured(1).toLongLong(), m.captured(2).toLongLong()}
                   : QList<qint64>{};
    }
    QImage picture(const QString& name) {
        return QImage(dir_.filePath(name)).convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void initTestCase() { // in a 180 x 160 area, the L-system inside it
        GeneralValuesCollector general;
        const QString ini = QCoreApplication::applicationDirPath() + "/Default.ini";
        QVERIFY(!ReadSettingsFile(ini, general, records_));
        general_ = general.Values;
        general_.AreaWidth = "180";
        general_.AreaHeight = "160";
        records_.LSystem.FixPoints = {FixPoint{90, 150}, FixPoint{90, 100}};
        records_.LSystem.LineLength = 3;
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
            const QRgb shown = a.frames[1].pixel(i % 20, i / 20), wanted = palette[std::size_t(i)];
            const int off = std::max({std::abs(qRed(shown) - qRed(wanted)),
                                      std::abs(qGreen(shown) - qGreen(wanted)),
                                      std::abs(qBlue(shown) - qBlue(wanted))});
            QVERIFY2(off <= (colors <= 256 || i < 2 ? 0 : 25), qPrintable(QString::number(i)));
        }
    }

    // The figure's counters are those of its closed form (and of the progress
    // line's). --elements M stops after M elements and reports them (one more
    // where an element counts two lines, a Koch bump or a demo bar pair, and M
    // falls between them); none leaves the cleared canvas, more than the
    // figure has gives the whole figure. Frame k of N, decoded, is the still
    // of the first round(k E / N) elements; the frames last 1/fps (the GIF's
    // centiseconds rounded each from the start), the last one the hold; both
    // formats loop forever. Drawn --scale 3 times larger, in lines 3 pixels
    // wide, the ink grows nine times and spans three times the pixels. On a
    // terminal a long run, a still's or an animation's, shows a progress line
    // and wipes it at the end (blanks over the longest line, then a return);
    // with --quiet nothing is shown.
    void figures_data() {
        QTest::addColumn<Figure>("figure");
        for (int depth : {0, 2, 4}) {
            for (int type = 0; type <= FractalTypeCount; ++type) { // 5: the chaos game
                QTest::addRow("type %d, depth %d", type, depth)
                    << (type < 5 ? Figure{type, 0, depth, false} : Figure{2, 1, depth, false});
            }
        }
        QTest::newRow("Cantor set, depth 3") << Figure{0, 0, 3, false};
        QTest::newRow("Cantor set demo") << Figure{0, 3, 4, false};
        QTest::newRow("chaos game") << Figure{2, 1, 3000, false};
        QTest::newRow("gadget demo") << Figure{2, 3, 40, false};
        QTest::newRow("Koch curve by the turtle") << Figure{3, 2, 3, false};
        QTest::newRow("L-system, depth 9 rewrites 7 times") << Figure{4, 2, 9, false};
        QTest::newRow("cross in random colours") << Figure{1, 0, 3, true};
        QTest::newRow("chaos game in random colours") << Figure{2, 1, 2000, true};
    }
    void figures() {
        QFETCH(Figure, figure);
        const int n = 6;
        const double fps = 8, hold = 1.5;
        const QList<qint64> counts = render(figure, {}, "whole.bmp", true);
        QCOMPARE(QImageReader(dir_.filePath("whole.bmp")).format(), "bmp");
        const qint64 total = counts.value(0, -1);
        static const QRegularExpression progress(
            "^\\rElements drawn: \\d+, \\d+ per second, \\d+% *\\r(.*\\r)* +\\r$");
        const auto progressShown = [&] { return total < 1000 || progress.match(err_).hasMatch(); };
        QVERIFY2(progressShown(), qPrintable(err_));
        if (const std::optional<QList<qint64>> expected = closedForm(figure, records_)) {
            QCOMPARE(counts, *expected);
            ParameterModel model;
            static_cast<FractalParameters&>(model) = records(figure);
            model.CalcDepth = figure.depth;
            QCOMPARE(ExpectedElements(model, figure.type).value_or(-1), double(total));
        }
        const QImage whole = picture("whole.bmp");
        QCOMPARE(whole.size(), QSize(180, 160));
        QVERIFY(total == 0 || inkOf(whole).pixels > 0);
        if (figure.depth > 100 || figure.randomColors) { // another seed, other points or colours
            QCOMPARE(render(figure, {"--seed", "12"}, "other.png"), counts);
            QVERIFY(picture("other.png") != whole);
            // with --quiet neither the counts nor a progress line
            QVERIFY(render(figure, {"--quiet"}, "quiet.png", true).isEmpty() && err_.isEmpty());
        }
        if (figure.depth >= 4) {
            QCOMPARE(render(figure, {"--scale", "3"}, "large.png"), counts);
            const QImage large = picture("large.png");
            QCOMPARE(large.size(), whole.size() * 3);
            const Ink plain = inkOf(whole), big = inkOf(large);
            const QRect scaled(plain.bounds.topLeft() * 3, plain.bounds.size() * 3);
            const double growth = double(big.pixels) / double(plain.pixels * 9);
            QVERIFY2(growth > 0.6 && growth < 1.6 &&
                         (big.bounds.topLeft() - scaled.topLeft()).manhattanLength() <= 4 &&
                         (big.bounds.bottomRight() - scaled.bottomRight()).manhattanLength() <= 4,
                     qPrintable(QString::number(growth) + QDebug::toString(big.bounds)));
        }
        if (total < 5 || total > 100'000) {
            return; // too few elements to build up, or too many to draw ten times
        }
        const bool pairs =
            (figure.type == 3 && figure.mode == 0) || (figure.type == 0 && figure.mode == 3);
        QList<QImage> stills; // 0 elements, frames 1 to n, more than all
        for (int k = 0; k <= n + 1; ++k) {
            // halves to even: 2.5 elements make frame 1 of 6 at 15 elements
            const auto m = k > n ? total + 9 : qint64(std::nearbyint(double(k) * total / n));
            const qint64 drawn =
                render(figure, {"--elements", QString::number(m)}, "part.png").value(0, -1);
            const qint64 wanted = std::min(m, total);
            QVERIFY2(drawn == wanted || (pairs && drawn == wanted + 1),
                     qPrintable(QString("%1 for %2").arg(drawn).arg(m)));
            stills << picture("part.png");
        }
        QCOMPARE(inkOf(stills[0]).pixels, 0);
        QCOMPARE(stills[n + 1], whole);
        QCOMPARE(stills[n], stills[n + 1]);
        for (const QString format : {"gif", "webp"}) {
            const QString name = "build-up." + format;
            QCOMPARE(render(figure, {"--frames", "6", "--fps", "8", "--hold", "1.5"}, name, true),
                     counts);
            QVERIFY2(progressShown(), qPrintable(err_));
            const Animation a = decode(fileBytes(dir_.filePath(name)), format);
            QVERIFY2(!a.frames.isEmpty() && a.frames.size() <= n, qPrintable(format));
            QVERIFY2(a.loops == 0 || a.frames.size() == 1, qPrintable(format)); // forever
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
