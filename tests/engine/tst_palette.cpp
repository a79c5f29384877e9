// Random element colours: drawn from the 16-colour palette, never the
// background colour, and uniform over the colours that remain.
#include "DrawRun.h"
#include "RunFixture.h"

#include <QTest>
#include <algorithm>
#include <map>

using namespace zvtest;

class PaletteTest : public QObject {
    Q_OBJECT

private slots:
    void randomColorAvoidsBackgroundUniformly_data();
    void randomColorAvoidsBackgroundUniformly();
};

void PaletteTest::randomColorAvoidsBackgroundUniformly_data() {
    QTest::addColumn<int>("background");
    QTest::addColumn<int>("expectedColors");

    for (std::size_t i = 0; i < zv::Palette.size(); ++i) {
        QTest::addRow("background palette %zu", i) << int(zv::Palette[i]) << 15;
    }
    QTest::newRow("background outside the palette") << int(zv::rgb(1, 2, 3)) << 16;
}

void PaletteTest::randomColorAvoidsBackgroundUniformly() {
    QFETCH(int, background);
    QFETCH(int, expectedColors);
    RunFixture f;
    f.model.ForeColor = zv::RandomColor;
    f.host.backColor = background;
    zv::DrawRun run(f.model, f.canvas, f.host, f.random);

    constexpr int perColor = 1000;
    const int draws = perColor * expectedColors;
    std::map<std::int32_t, int> seen;
    for (int i = 0; i < draws; ++i) {
        ++seen[run.ElementColor()];
    }

    QCOMPARE(int(seen.size()), expectedColors);
    QVERIFY(!seen.contains(background));
    double chiSquare = 0;
    for (const auto& [color, n] : seen) {
        QVERIFY(std::find(zv::Palette.begin(), zv::Palette.end(), color) != zv::Palette.end());
        chiSquare += double(n - perColor) * (n - perColor) / perColor;
    }
    // 14 or 15 degrees of freedom: 60 is far beyond the 1e-6 quantile, yet a
    // generator that favours one colour by a third lands well above it.
    QVERIFY2(chiSquare < 60, qPrintable(QString::number(chiSquare)));
}

QTEST_APPLESS_MAIN(PaletteTest)
#include "tst_palette.moc"
