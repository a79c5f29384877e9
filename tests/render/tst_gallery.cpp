// The example parameter files shipped in data/gallery: each reads, draws inside
// its own drawing area and fills a good part of it, in a colour that shows on
// its background; together they show every fractal type in every draw mode.

#include "FileMod.h"
#include "FractalCatalogue.h"

#include <QtTest>

using namespace zv;

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
    QFile file(path);
    QXmlStreamReader xml(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
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

class GalleryTest : public QObject {
    Q_OBJECT

private slots:
    // Each example reads, draws with exit 0 inside its drawing area, spans at
    // least half of it and shows on its background; together they show every
    // type in every draw mode.
    void examples() {
        const QDir gallery(QStringLiteral(ZORVANDINE_GALLERY));
        QSet<QPair<int, int>> shown;
        QTemporaryDir dir;
        const QString output = dir.filePath("figure.svg");
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
            QVERIFY2(!d.corners.isEmpty(), qPrintable(name));
            const auto [left, right] = std::ranges::minmax(d.corners, {}, &QPointF::x);
            const auto [top, bottom] = std::ranges::minmax(d.corners, {}, &QPointF::y);
            const QRectF drawn(QPointF(left.x(), top.y()), QPointF(right.x(), bottom.y()));
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

QTEST_GUILESS_MAIN(GalleryTest)
#include "tst_gallery.moc"
