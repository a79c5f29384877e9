// Every figure type drawn through the dispatcher: what lands on the canvas, in
// order, with its counters; the limits of the inputs; the turtle (the heading,
// the Koch snowflake, and the L-system walk held against a plain rewrite run on
// a turtle of its own); then what every algorithm shares: the pause, single-step
// and cancel protocol, the counter texts and the random element colours.
#include "EngineTest.h"
#include "Numeric.h"

#include <cmath>
#include "TurtleGraphicsCls.h"

#include <QLineF>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
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
    void heading_data();
    void heading();
    void kochSnowflake();
    void kochBeyondSevenPassesShrinks();
    void walkMatchesPlainRewrite();
    void singleStepDrawsOneElementPerResume_data() { protocolFigures(); }
    void singleStepDrawsOneElementPerResume();
    void cancelWhilePausedDrawsNothingMore_data() { protocolFigures(); }
    void cancelWhilePausedDrawsNothingMore();
    void counterTexts_data();
    void counterTexts();
    void randomColorAvoidsBackgroundUniformly_data();
    void randomColorAvoidsBackgroundUniformly();

private:
    static void protocolFigures();
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
    r.onYield = [&](int y) {
        if (y == cancelAt) {
            r.model.GlobalState = zv::EditMode;
        }
    };
    r.draw(figure);
    QVERIFY(!r.trace.join(' ').contains(QRegularExpression("inf|nan")));
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

// cos and sin of the heading are the unit vector from A to B in every quadrant.
void AlgorithmsTest::heading_data() {
    QTest::addColumn<QLineF>("ab");
    QTest::newRow("right and down") << QLineF(1, 1, 4, 5);
    QTest::newRow("left and up") << QLineF(1, 1, -2, -3);
    QTest::newRow("straight up") << QLineF(100, 100, 100, 50);
    QTest::newRow("straight left") << QLineF(100, 100, 50, 100);
}

void AlgorithmsTest::heading() {
    QFETCH(QLineF, ab);
    const double alpha = zv::HeadingAngle({ab.x1(), ab.y1()}, {ab.x2(), ab.y2()});
    QVERIFY(std::abs(std::cos(alpha) - ab.dx() / ab.length()) < 1e-9);
    QVERIFY(std::abs(std::sin(alpha) - ab.dy() / ab.length()) < 1e-9);
}

// From A = (0, 200) to B = (270, 200) at D 3: 448 characters, 192 steps of 10;
// the first side ends at B, the second at the corner above, the third at A.
void AlgorithmsTest::kochSnowflake() {
    Run r;
    r.draw({3, 2, 3, {{0, 200}, {270, 200}}});
    QCOMPARE(r.model.ElementsDrawn, 448);
    const QStringList lines = r.drawn();
    QCOMPARE(lines.size(), 192);
    auto at = [&](int i, int k) {
        return lines[i].split(QRegularExpression("[ ,]"))[k].toDouble();
    };
    auto near = [](double a, double b) { return std::abs(a - b) < 1e-3; };
    for (int i = 0; i < 192; ++i) {
        QVERIFY2(near(std::hypot(at(i, 3) - at(i, 1), at(i, 4) - at(i, 2)), 10),
                 qPrintable(lines[i]));
    }
    QVERIFY(near(at(0, 1), 0) && near(at(0, 2), 200));
    QVERIFY(near(at(63, 3), 270) && near(at(63, 4), 200));
    QVERIFY(near(at(127, 3), 135) && near(at(127, 4), 200 - 135 * std::sqrt(3.0)));
    QVERIFY(near(at(191, 3), 0) && near(at(191, 4), 200));
}

// Past 7 passes the shape stays that of 7 while the step shrinks with the full
// depth: D 9 on a side of 270 is D 7 on a side of 30.
void AlgorithmsTest::kochBeyondSevenPassesShrinks() {
    Run nine, seven;
    nine.draw({3, 2, 9, {{0, 200}, {270, 200}}});
    seven.draw({3, 2, 7, {{0, 200}, {30, 200}}});
    QCOMPARE(nine.drawn().size(), 3 << 14);
    QCOMPARE(nine.drawn(), seven.drawn());
}

// The walk expands the rewritten string lazily; the plain rewrite builds it
// pass by pass and runs it on a turtle of its own with an unbounded stack.
void AlgorithmsTest::walkMatchesPlainRewrite() {
    std::mt19937 rng(20261206);
    auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    auto text = [&](int maxLength) {
        std::string s(std::size_t(uniform(0, maxLength + 1)), ' ');
        for (char& c : s) {
            c = "Ff+-[]X "[int(uniform(0, 8))];
        }
        return s;
    };
    for (int i = 0; i < 1200; ++i) {
        const Figure f{4,
                       0,
                       int(uniform(0, 5)),
                       {{uniform(0, 300), uniform(0, 300)}, {uniform(0, 300), uniform(0, 300)}},
                       uniform(-360, 360),
                       false,
                       text(6),
                       text(7)};
        std::string rewritten = f.init;
        for (int pass = 0; pass < f.depth; ++pass) {
            std::string next;
            for (char c : rewritten) {
                next += c == 'F' ? f.gen : std::string(1, c);
            }
            rewritten = next;
        }
        const QString what =
            QString("\"%1\" \"%2\" D %3").arg(f.init.c_str(), f.gen.c_str()).arg(f.depth);

        struct State {
            double x, y, alpha;
        };
        std::vector<State> saved;
        State t{f.pts[0].X, f.pts[0].Y, zv::HeadingAngle(f.pts[0], f.pts[1])};
        QStringList expected;
        for (char c : rewritten) {
            if (c == 'F' || c == 'f') {
                const State from = t;
                t.x += std::cos(t.alpha) * 10;
                t.y += std::sin(t.alpha) * 10;
                if (c == 'F') {
                    expected << "line " + pt(float(from.x), float(from.y)) + ' ' +
                                    pt(float(t.x), float(t.y));
                }
            } else if (c == '+' || c == '-') {
                t.alpha += (c == '+' ? 1 : -1) * f.param / 180 * zv::TurtlePi;
            } else if (c == '[') {
                saved.push_back(t);
            } else if (c == ']' && !saved.empty()) {
                t = saved.back();
                saved.pop_back();
            }
        }
        Run r;
        r.draw(f);
        // One element and one yield (to keep the window responsive) per character.
        QVERIFY2(r.model.ElementsDrawn == qint64(rewritten.size()), qPrintable(what));
        QVERIFY2(r.yields == qint64(rewritten.size()), qPrintable(what));
        QVERIFY2(r.drawn() == expected, qPrintable(what));
    }
}

// Small figures: drawnFirst is what comes before the first element (top bar,
// base line, whole triangle, start point); a demo element is two operations;
// waits is the number of elements that wait for a resume; pauseAt the yield
// after which the user pauses, deep inside a branch of the recursive figures.
void AlgorithmsTest::protocolFigures() {
    QTest::addColumn<Figure>("figure");
    QTest::addColumn<QList<int>>("protocol"); // drawnFirst, opsPerElement, waits, pauseAt
    const std::vector<zv::FixPoint> pts{{0, 100}, {200, 100}, {100, 0}};
    QTest::newRow("Cantor") << Figure{0, 0, 2, pts, 2} << QList<int>{1, 1, 6, 3};
    QTest::newRow("Cantor demo") << Figure{0, 3, 2, pts, 2} << QList<int>{1, 2, 3, 2};
    QTest::newRow("cross") << Figure{1, 0, 2, {pts[0], pts[1]}, 0.5} << QList<int>{1, 1, 5, 3};
    QTest::newRow("gadget") << Figure{2, 0, 2, pts} << QList<int>{1, 1, 4, 3};
    QTest::newRow("chaos game") << Figure{2, 1, 12, pts} << QList<int>{0, 1, 12, 1};
    QTest::newRow("gadget demo") << Figure{2, 3, 12, pts} << QList<int>{1, 2, 12, 2};
    QTest::newRow("Koch") << Figure{3, 0, 2, {pts[0], pts[1]}} << QList<int>{1, 2, 5, 3};
    QTest::newRow("L-system") << Figure{4, 0, 2, pts, 90, false, "F", "FF"}
                              << QList<int>{0, 1, 4, 3};
}

// Started paused in single steps, as the draw command does: each element waits
// (over two wake-ups here) without drawing, then one S press draws just it.
void AlgorithmsTest::singleStepDrawsOneElementPerResume() {
    QFETCH(Figure, figure);
    QFETCH(QList<int>, protocol);
    Run r;
    r.model.PauseAfterEachOp = true;
    r.model.GlobalState = zv::PauseMode;
    QList<qsizetype> drawnAtWakeUps;
    r.onPauseWakeUp([&] {
        drawnAtWakeUps << r.drawn().size();
        if (drawnAtWakeUps.size() % 2 == 0) {
            r.model.GlobalState = zv::WorkingMode; // the user presses S
        }
    });
    r.draw(figure);
    QCOMPARE(drawnAtWakeUps.size(), 2 * protocol[2]); // none after the last element
    QCOMPARE(drawnAtWakeUps.value(0), protocol[0]);
    drawnAtWakeUps << r.drawn().size() << r.drawn().size();
    for (int i = 2; i < drawnAtWakeUps.size(); i += 2) {
        QCOMPARE(drawnAtWakeUps[i - 1], drawnAtWakeUps[i - 2]);
        QCOMPARE(drawnAtWakeUps[i] - drawnAtWakeUps[i - 1], protocol[1]);
    }
    QCOMPARE(r.pauseSwitches, protocol[2]);
}

// A recursive run unwinds without drawing, not even the next base segment.
void AlgorithmsTest::cancelWhilePausedDrawsNothingMore() {
    QFETCH(Figure, figure);
    QFETCH(QList<int>, protocol);
    Run r;
    figure.depth = figure.mode == 0 ? 4 : 40;
    figure.closed = true;
    qsizetype drawnAtCancel = -1;
    qint64 countedAtCancel = -1;
    r.onPauseWakeUp([&] {
        drawnAtCancel = r.drawn().size();
        countedAtCancel = r.model.ElementsDrawn;
        r.model.GlobalState = zv::EditMode;
    });
    const auto wake = r.onYield;
    r.onYield = [&, wake](int n) {
        wake(n);
        if (n == protocol[3]) {
            r.model.GlobalState = zv::PauseMode;
        }
    };
    r.draw(figure);
    QVERIFY(drawnAtCancel > 0);
    QCOMPARE(r.drawn().size(), drawnAtCancel);
    QCOMPARE(r.model.ElementsDrawn, countedAtCancel);
    QCOMPARE(r.yields, protocol[3] + 1); // the one wake-up while paused
}

// Both counters stepped alike: their texts come at totals that are multiples
// of 15 and at every count while paused; the 10 ms sleep comes with the
// elements text alone.
void AlgorithmsTest::counterTexts_data() {
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("times");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("every multiple of 15")
        << 1 << 44 << false << QStringList{"sleep 10", "E:Elements drawn: 15", "R:Recursions: 15",
                                           "sleep 10", "E:Elements drawn: 30", "R:Recursions: 30"};
    QTest::newRow("pairs step past 15") << 2 << 8 << false << QStringList{};
    QTest::newRow("every count while paused")
        << 2 << 2 << true << QStringList{"sleep 10", "E:Elements drawn: 2", "R:Recursions: 2",
                                         "sleep 10", "E:Elements drawn: 4", "R:Recursions: 4"};
}

void AlgorithmsTest::counterTexts() {
    QFETCH(int, step);
    QFETCH(int, times);
    QFETCH(bool, paused);
    QFETCH(QStringList, log);
    Run r;
    r.model.GlobalState = paused ? zv::PauseMode : zv::WorkingMode;
    zv::DrawRun run(r.model, r, r, r.random);
    for (int i = 0; i < times; ++i) {
        run.CountElements(step);
        run.CountRecursions(step);
    }
    QCOMPARE(r.trace, log);
    QCOMPARE(r.model.ElementsDrawn, step * times);
    QCOMPARE(r.model.RecursionsDone, step * times);
}

// The 16-colour text-mode palette written out apart from the engine's table,
// so that a swapped channel or entry shows.
const std::array<std::int32_t, 16> TextModePalette = {
    zv::rgb(0, 0, 0),       zv::rgb(0, 0, 128),   zv::rgb(0, 128, 0),   zv::rgb(0, 128, 128),
    zv::rgb(128, 0, 0),     zv::rgb(128, 0, 128), zv::rgb(128, 128, 0), zv::rgb(192, 192, 192),
    zv::rgb(128, 128, 128), zv::rgb(0, 0, 255),   zv::rgb(0, 255, 0),   zv::rgb(0, 255, 255),
    zv::rgb(255, 0, 0),     zv::rgb(255, 0, 255), zv::rgb(255, 255, 0), zv::rgb(255, 255, 255),
};

void AlgorithmsTest::randomColorAvoidsBackgroundUniformly_data() {
    QTest::addColumn<int>("background");
    QTest::addColumn<int>("colors"); // how many palette colours remain
    QTest::newRow("white background") << int(zv::rgb(255, 255, 255)) << 15;
    QTest::newRow("black background") << int(zv::rgb(0, 0, 0)) << 15;
    QTest::newRow("background outside the palette") << int(zv::rgb(1, 2, 3)) << 16;
}

void AlgorithmsTest::randomColorAvoidsBackgroundUniformly() {
    QFETCH(int, background);
    QFETCH(int, colors);
    Run r;
    r.model.ForeColor = zv::RandomColor;
    r.backColor = background;
    zv::DrawRun run(r.model, r, r, r.random);
    constexpr int perColor = 1000;
    std::map<std::int32_t, int> seen;
    for (int i = 0; i < perColor * colors; ++i) {
        ++seen[run.ElementColor()];
    }
    QCOMPARE(int(seen.size()), colors);
    QVERIFY(!seen.contains(background));
    double chiSquare = 0;
    for (const auto& [color, n] : seen) {
        QVERIFY(std::ranges::find(TextModePalette, color) != TextModePalette.end());
        chiSquare += double(n - perColor) * (n - perColor) / perColor;
    }
    // 14 or 15 degrees of freedom: 60 is far beyond the 1e-6 quantile, yet a
    // generator that favours one colour by a third lands well above it.
    QVERIFY2(chiSquare < 60, qPrintable(QString::number(chiSquare)));
}

QTEST_APPLESS_MAIN(AlgorithmsTest)
#include "tst_algorithms.moc"
