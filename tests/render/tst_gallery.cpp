// The example parameter files shipped in data/gallery: each reads, draws inside
// its own drawing area and fills a good part of it, in a colour that shows on
// its background; together they show every fractal type in every draw mode.

#include "FileMod.h"

#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>
#include <algorithm>
#include <cmath>

using namespace zv;

namespace {

QStringList galleryFiles() {
    return QDir(QStringLiteral(ZORVANDINE_GALLERY))
        .entryList({QStringLiteral("*.prm")}, QDir::Files, QDir::Name);
}

QString svgColor(std::int32_t color) { // a Long colour, red in the low byte
    return QStringLiteral("#%1").arg((color & 0xFF) << 16 | (color & 0xFF00) | (color >> 16 & 0xFF), 6,
                                     16, QLatin1Char('0'));
}

struct Drawing {
    QSizeF area;
    // Bounds of every shape after the clearing rectangle (QRectF drops points).
    double left = HUGE_VAL, top = HUGE_VAL, right = -HUGE_VAL, bottom = -HUGE_VAL;
    int shown = 0; // shapes in a colour other than the background
    bool valid = false;
};

// Reads what the renderer wrote as SVG: its size and where its shapes lie. A
// one-pixel rectangle (a plotted point) counts as its corner, so the chaos
// game's points on the right and bottom edge count as inside.
Drawing readSvg(const QString& path, const QString& background) {
    QFile file(path);
    QXmlStreamReader xml(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    Drawing d;
    bool cleared = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QXmlStreamAttributes a = xml.attributes();
        const auto v = [&a](const char* name) { return a.value(QLatin1String(name)).toDouble(); };
        const QString stroke = a.value(QLatin1String("stroke")).toString();
        const QString fill = a.value(QLatin1String("fill")).toString();
        if (xml.name() == u"svg") {
            d.area = QSizeF(v("width"), v("height"));
        } else if (std::exchange(cleared, true)) {
            d.shown += (!stroke.isEmpty() && stroke != background) ||
                       (fill != u"none" && !fill.isEmpty() && fill != background);
            QList<QPointF> corners;
            if (xml.name() == u"line") {
                corners = {{v("x1"), v("y1")}, {v("x2"), v("y2")}};
            } else if (xml.name() == u"circle") {
                const QPointF r(v("r"), v("r")), c(v("cx"), v("cy"));
                corners = {c - r, c + r};
            } else if (xml.name() == u"rect") {
                const bool point = v("width") == 1 && v("height") == 1 && stroke.isEmpty();
                corners = {{v("x"), v("y")}, {v("x") + (point ? 0 : v("width")),
                                              v("y") + (point ? 0 : v("height"))}};
            } else if (xml.name() == u"polygon") {
                for (const QString& p : a.value(QLatin1String("points")).toString().split(u' ')) {
                    corners << QPointF(p.section(u',', 0, 0).toDouble(), p.section(u',', 1).toDouble());
                }
            }
            for (const QPointF& c : corners) {
                d.left = std::min(d.left, c.x());
                d.top = std::min(d.top, c.y());
                d.right = std::max(d.right, c.x());
                d.bottom = std::max(d.bottom, c.y());
            }
        }
    }
    d.valid = !xml.hasError() && cleared;
    return d;
}

} // namespace

class GalleryTest : public QObject {
    Q_OBJECT

private slots:
    void drawsInsideItsArea_data() {
        QTest::addColumn<QString>("name");
        for (const QString& name : galleryFiles()) {
            QTest::newRow(qPrintable(name)) << name;
        }
    }

    void drawsInsideItsArea() {
        QFETCH(QString, name);
        const QString input = QDir(QStringLiteral(ZORVANDINE_GALLERY)).filePath(name);
        GeneralValuesCollector general;
        FractalParameters records;
        const std::optional<ReadFailure> failure = ReadParameterFile(input, general, records);
        QVERIFY2(!failure, failure ? qPrintable(failure->Expected) : "");

        QTemporaryDir dir;
        const QString output = dir.filePath(QStringLiteral("figure.svg"));
        QProcess p;
        p.start(QStringLiteral(ZORVANDINE_RENDER), {"--seed", "1", input, output});
        QVERIFY(p.waitForFinished(120000));
        QCOMPARE(p.exitCode(), 0);

        const Drawing d = readSvg(output, svgColor(general.Values.BackColor));
        QVERIFY(d.valid);
        QCOMPARE(d.area, QSizeF(general.Values.AreaWidth.toDouble(),
                                general.Values.AreaHeight.toDouble()));
        const QString bounds =
            QStringLiteral("drawn over %1,%2 to %3,%4").arg(d.left).arg(d.top).arg(d.right).arg(
                d.bottom);
        QVERIFY2(d.left >= 0 && d.top >= 0 && d.right <= d.area.width() &&
                     d.bottom <= d.area.height(),
                 qPrintable(bounds));
        QVERIFY2(d.right - d.left >= d.area.width() / 2 && d.bottom - d.top >= d.area.height() / 2,
                 qPrintable(bounds));
        QVERIFY(d.shown > 0);
    }

    void showsEveryTypeAndMode() {
        QSet<QPair<int, int>> shown; // type and draw mode; the L-system has no mode
        for (const QString& name : galleryFiles()) {
            GeneralValuesCollector general;
            FractalParameters r;
            std::uint8_t type = 0;
            const QString path = QDir(QStringLiteral(ZORVANDINE_GALLERY)).filePath(name);
            QVERIFY(!ReadParameterFile(path, general, r, &type));
            const int modes[] = {r.CantorSet.DrawMode, r.Cross.DrawMode,
                                 r.SierpinskyGadget.DrawMode, r.KochCurve.DrawMode, 0};
            shown.insert({type, modes[type]});
        }
        const QSet<QPair<int, int>> all{{0, 0}, {0, 3}, {1, 0}, {2, 0}, {2, 1},
                                        {2, 3}, {3, 0}, {3, 2}, {4, 0}};
        QCOMPARE(shown, all);
        QVERIFY(galleryFiles().size() >= 16);
    }
};

QTEST_GUILESS_MAIN(GalleryTest)
#include "tst_gallery.moc"
