// The build-up of a figure: the still of its first M elements (--elements) and
// the animation whose frame k is the still of round(k E / N) elements, for
// every type and draw mode, the seeded chaos game and random colours.

#include "FileMod.h"
#include "Renderer.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

using namespace zv;

namespace {

struct Figure {
    int type, mode, depth;
    bool randomColors;
};

struct Result {
    int exitCode = -1;
    qint64 elements = -1; // as reported
    QString err;
};

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
        r.err = err;
        return r;
    }
    QImage still(const Figure& f, qint64 elements) {
        const QStringList options{"--elements", QString::number(elements)};
        if (render(f, options, "still.png").exitCode != 0) {
            return {};
        }
        return QImage(dir_.filePath("still.png")).convertToFormat(QImage::Format_RGB32);
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
    // --elements M stops after M elements and reports them (one more where
    // an element counts two lines, a Koch bump or a demo bar pair, and M
    // falls between them); none leaves the cleared canvas, more than the
    // figure has gives the whole figure.
    void elements_data() { figureRows(); }
    void elements() {
        QFETCH(Figure, figure);
        const Result whole = render(figure, {}, "whole.png");
        QCOMPARE(whole.exitCode, 0);
        const qint64 total = whole.elements;
        QVERIFY(total > 4);
        const QImage wholeImage =
            QImage(dir_.filePath("whole.png")).convertToFormat(QImage::Format_RGB32);
        const bool pairs = (figure.type == 3 && figure.mode == 0) ||
                           (figure.type == 0 && figure.mode == 3);
        for (const qint64 m : {qint64(0), qint64(1), total / 2 + 1, total - 1, total, total + 9}) {
            const Result part = render(figure, {"--elements", QString::number(m)}, "part.png");
            QCOMPARE(part.exitCode, 0);
            const qint64 expected = std::min(m, total);
            QVERIFY2(part.elements == expected || (pairs && part.elements == expected + 1),
                     qPrintable(QString("%1 for %2").arg(part.elements).arg(m)));
            const QImage image =
                QImage(dir_.filePath("part.png")).convertToFormat(QImage::Format_RGB32);
            if (m == 0) {
                QImage cleared(image.size(), QImage::Format_RGB32);
                cleared.fill(qRgb(255, 255, 255)); // the factory back colour
                QCOMPARE(image, cleared);
            } else if (m >= total) {
                QCOMPARE(image, wholeImage);
            }
        }
    }
};

QTEST_GUILESS_MAIN(BuildUpTest)
#include "tst_buildup.moc"
