// Every figure type drawn through the dispatcher: what lands on the canvas, in
// order, with its counters; then the limits of the inputs.
#include "EngineTest.h"
#include "Numeric.h"

#include <cmath>
#include <random>

using namespace zvtest;
using zv::FixPoint;

class AlgorithmsTest : public QObject {
    Q_OBJECT

private slots:
    void drawing_data();
    void drawing();
    void chaosGameRefreshesEveryTenthPoint();
    void limits_data();
    void limits();
    void nearestAsTheLibrary_data();
    void nearestAsTheLibrary();
};

void AlgorithmsTest::drawing_data() {
    QTest::addColumn<Figure>("figure");
    QTest::addColumn<QString>("expected");     // the drawing, "; "-joined, or a pattern "^..."
    QTest::addColumn<QList<qint64>>("counts"); // elements, recursions, yields
    const std::vector<FixPoint> horizontal{{0, 100}, {200, 100}},
        standing{{0, 200}, {200, 200}, {100, 0}};
    auto row = [](const char* name, Figure f, const char* drawing, QList<qint64> counts) {
        QTest::newRow(name) << f << QString(drawing) << counts;
    };
    row("Cantor k 2", {0, 0, 1, {{0, 10}, {300, 99}}, 2},
        "box 0,10 300,30; box 0,30 100,50; box 200,30 300,50", {3, 2, 2});
    row("Cantor k 3: fifths", {0, 0, 1, {{0, 10}, {500, 99}}, 3},
        "box 0,10 500,30; box 0,30 100,50; box 200,30 300,50; box 400,30 500,50", {4, 3, 3});
    // Spans the 270 wide canvas; level colours 14737632 / D * level; top bar not counted.
    row("Cantor demo, D 2", {0, 3, 2, {{50, 50}, {60, 60}}, 5},
        "box 0,0 270,20; box 0,20 90,40 #707070; box 180,20 270,40 #707070; "
        "box 0,40 30,60 #e0e0e0; box 60,40 90,60 #e0e0e0; box 180,40 210,60 #e0e0e0; "
        "box 240,40 270,60 #e0e0e0",
        {6, 0, 3});
    row("cross D 1", {1, 0, 1, horizontal, 0.5}, "line 0,100 200,100; line 100,50 100,150",
        {2, 1, 1});
    row("cross D 2: half-segments, then half-bars", {1, 0, 2, horizontal, 0.5},
        "line 0,100 200,100; line 100,50 100,150; line 50,125 50,75; line 150,75 150,125; "
        "line 112.5,75 87.5,75; line 87.5,125 112.5,125",
        {6, 5, 5});
    row("cross at 45 degrees: the bar lies on its segment", {1, 0, 1, {{0, 0}, {100, 100}}, 0.5},
        "line 0,0 100,100; line 25,25 75,75", {2, 1, 1});
    row("gadget D 1", {2, 0, 1, standing},
        "poly 0,200 200,200 100,0 #abcdef; poly 100,200 150,100 50,100", {1, 1, 1});
    row("gadget midpoints halve to even", {2, 0, 1, {{0, 0}, {5, 0}, {0, 3}}},
        "poly 0,0 5,0 0,3 #abcdef; poly 2,0 2,2 0,2", {1, 1, 1});
    row("gadget negative midpoints halve to even", {2, 0, 1, {{0, 0}, {-5, 0}, {0, -3}}},
        "poly 0,0 -5,0 0,-3 #abcdef; poly -2,0 -2,-2 0,-2", {1, 1, 1});
    // Green start, silver jumps to red points of radius 2, whatever the pen.
    row("gadget demo colours", {2, 3, 2, standing},
        "^circle \\S+ r2 #ff00(; line \\S+ \\S+ #c0c0c0; circle \\S+ r2 #ff){2}$", {2, 0, 2});
    row("Koch D 1: apex", {3, 0, 1, {{0, 100}, {300, 100}}},
        "line 0,100 300,100; line 100,100 150,14.5; line 150,14.5 200,100", {3, 1, 1});
    row("Koch closed: both ways, bumps on both sides", {3, 0, 1, {{0, 100}, {300, 100}}, 0, true},
        "line 0,100 300,100; line 100,100 150,14.5; line 150,14.5 200,100; line 300,100 0,100; "
        "line 200,100 150,185.5; line 150,185.5 100,100",
        {6, 2, 2});
}

void AlgorithmsTest::drawing() {
    QFETCH(Figure, figure);
    QFETCH(QString, expected);
    QFETCH(QList<qint64>, counts);
    Run r;
    r.width = 270;
    r.draw(figure);
    const QString drawing = r.drawn().join("; ");
    if (expected.startsWith('^')) {
        QVERIFY2(QRegularExpression(expected).match(drawing).hasMatch(), qPrintable(drawing));
    } else {
        QCOMPARE(drawing, expected);
    }
    QCOMPARE((QList<qint64>{r.model.ElementsDrawn, r.model.RecursionsDone, r.yields}), counts);
}

void AlgorithmsTest::chaosGameRefreshesEveryTenthPoint() {
    Run r;
    r.draw({2, 1, 25, {{0, 200}, {200, 200}, {100, 0}}});
    QString rhythm; // p = point, R = refresh, Y = yield
    for (const QString& s : r.trace) {
        rhythm += s.startsWith("pixel") ? "p" : s == "refresh" ? "R" : s == "yield" ? "Y" : "";
    }
    QCOMPARE(rhythm, "ppppppppppRYppppppppppRYppppp");
    QCOMPARE(r.model.ElementsDrawn, 25);
}

// Each row runs, keeps every coordinate finite, ends the run properly and, when
// cancelled at a yield, stops right there. Counters start from 0 every run.
void AlgorithmsTest::limits_data() {
    QTest::addColumn<Figure>("figure");
    QTest::addColumn<int>("cancelAt");    // 0: runs to its end
    QTest::addColumn<qint64>("elements"); // -1: not checked
    const std::vector<FixPoint> huge{{1e300, -1e300}, {-1e300, 1e300}, {0, 1e300}},
        infinite{{Inf, 0}, {-Inf, Inf}, {0, -Inf}}, notANumber{{NaN, 0}, {100, NaN}, {5, 5}};
    auto row = [](const char* name, Figure f, int cancelAt, qint64 elements) {
        QTest::newRow(name) << f << cancelAt << elements;
    };
    for (const auto& [type, mode] :
         {std::pair{0, 0}, {0, 3}, {1, 0}, {2, 0}, {2, 1}, {2, 3}, {3, 0}, {3, 2}, {4, 0}}) {
        QTest::addRow("depth 2^31-1, type %d mode %d", type, mode)
            << Figure{type, mode, MaxLong, {{0, 200}, {200, 200}, {100, 0}}, 2} << 300 << -1LL;
    }
    row("L-system, 7 passes of 20 F: drawn lazily",
        {4, 0, 7, {{0, 0}, {1, 0}}, 90, false, "F", std::string(20, 'F')}, 5000, 5000);
    row("Cantor k 0: top bar only", {0, 0, 3, {{0, 10}, {270, 10}}, 0}, 0, 1);
    row("Cantor k 1: one bar per level", {0, 0, 5, {{0, 10}, {270, 10}}, 1}, 0, 6);
    row("Cantor k 129 as 128", {0, 0, 1, {{0, 10}, {270, 10}}, 129}, 0, 129);
    row("Cantor k 255 as 128", {0, 0, 1, {{0, 10}, {270, 10}}, 255}, 0, 129);
    row("Cantor demo, 16 levels stop at 15", {0, 3, 16}, 0, (1LL << 16) - 2);
    row("chaos game, 40000 points", {2, 1, 40000}, 0, 40000);
    row("gadget demo, 32767 points", {2, 3, 32767}, 50, 50);
    row("cross, negative factor", {1, 0, 3, {{0, 100}, {200, 100}}, -0.5}, 0, 22);
    row("cross, factor 1e9", {1, 0, 3, {{0, 100}, {200, 100}}, 1e9}, 0, 22);
    for (int type = 0; type < 5; ++type) {
        for (const auto& [what, pts] :
             {std::pair{"1e300", huge}, {"inf", infinite}, {"NaN", notANumber}}) {
            QTest::addRow("type %d, fix points at %s", type, what)
                << Figure{type, 0, 2, pts, 0.5, true} << 0 << -1LL;
        }
    }
    row("L-system, \"]\" first", {4, 0, 0, {{0, 0}, {1, 0}}, 90, false, "]F", ""}, 0, 2);
    row("L-system, 40000 open \"[\"",
        {4, 0, 0, {{0, 0}, {1, 0}}, 90, false, std::string(40000, '[') + "+F]]F", ""}, 0, 40005);
    row("L-system, empty initiator", {4, 0, 3, {{0, 0}, {1, 0}}, 90, false, "", "F+F"}, 0, 0);
    row("L-system, empty generator", {4, 0, 2, {{0, 0}, {1, 0}}, 90, false, "F+F-F", ""}, 0, 2);
    row("unknown type", {5, 0}, 0, 0);
    row("Cantor has no chaos game", {0, 1}, 0, 0);
    row("cross has no demo", {1, 3}, 0, 0);
}

void AlgorithmsTest::limits() {
    QFETCH(Figure, figure);
    QFETCH(int, cancelAt);
    QFETCH(qint64, elements);
    Run r;
    r.model.ElementsDrawn = r.model.RecursionsDone = 1LL << 40;
    if (cancelAt > 0) {
        r.cancelAtYield(cancelAt);
    }
    r.draw(figure);
    QVERIFY(r.finite());
    QCOMPARE(r.trace.last(), "pointer 0");
    QVERIFY(r.model.RecursionsDone < (1LL << 40));
    QVERIFY(cancelAt == 0 || r.yields == cancelAt);
    QVERIFY(elements < 0 || r.model.ElementsDrawn == elements);
}

// The engine's own rounding must give what std::nearbyint gives (halves to
// even), at every magnitude, for the values where a shortcut could slip.
void AlgorithmsTest::nearestAsTheLibrary_data() {
    QTest::addColumn<double>("scale"); // random values within +-scale
    QTest::newRow("halves and near halves") << 8.0;
    QTest::newRow("pixels") << 4096.0;
    QTest::newRow("around 2^52") << 9007199254740992.0;
    QTest::newRow("huge") << 1e300;
}

void AlgorithmsTest::nearestAsTheLibrary() {
    QFETCH(double, scale);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> value(-scale, scale);
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> values{0.5,    1.5,  2.5,  -0.5, -2.5, -0.4, 0.49999999999999994,
                               4503599627370495.5, -4503599627370495.5, inf, -inf, 0.0, -0.0};
    for (int i = 0; i < 20000; ++i) {
        const double v = value(random);
        values.push_back(scale == 8.0 ? std::round(v * 2) / 2 + (i % 3 - 1) * 1e-16 : v);
    }
    for (const double v : values) {
        const double expected = std::nearbyint(v);
        const double got = zv::nearest(v);
        QVERIFY2(got == expected && std::signbit(got) == std::signbit(expected),
                 qPrintable(QString::number(v, 'g', 17)));
    }
    QVERIFY(std::isnan(zv::nearest(std::numeric_limits<double>::quiet_NaN())));
}

QTEST_APPLESS_MAIN(AlgorithmsTest)
#include "tst_algorithms.moc"
