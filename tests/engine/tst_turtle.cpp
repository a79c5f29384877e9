// The turtle: L-system commands and brackets, the heading, the Koch snowflake,
// and the lazy walk of the rewritten string held against a plain rewrite.
#include "EngineTest.h"
#include "TurtleGraphicsCls.h"

#include <QLineF>
#include <cmath>
#include <random>

using namespace zvtest;

class TurtleTest : public QObject {
    Q_OBJECT

private slots:
    void lsystem_data();
    void lsystem();
    void heading_data();
    void heading();
    void kochSnowflake();
    void kochBeyondSevenPassesShrinks();
    void walkMatchesPlainRewrite();
};

// Start (100, 100) heading to (200, 100), steps of 10, turns of 90 degrees.
// Every character of the rewritten string is one element; only "F" draws.
void TurtleTest::lsystem_data() {
    QTest::addColumn<QString>("initiator");
    QTest::addColumn<QString>("generator");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("elements");
    QTest::addColumn<QString>("drawing"); // "; "-joined, or just the number of lines
    QTest::newRow("plant, one pass") << "F"
                                     << "F[+F]F[-F]F" << 1 << 11 << "5";
    QTest::newRow("plant, two passes") << "F"
                                       << "F[+F]F[-F]F" << 2 << 61 << "25";
    QTest::newRow("lower-case f is not rewritten") << "fF"
                                                   << "FF" << 2 << 5 << "4";
    QTest::newRow("+ turns clockwise on the screen, - back")
        << "F+F-F"
        << "" << 0 << 5 << "line 100,100 110,100; line 110,100 110,110; line 110,110 120,110";
    QTest::newRow("branch returns to its start and direction")
        << "F[+F]F"
        << "" << 0 << 6 << "line 100,100 110,100; line 110,100 110,110; line 110,100 120,100";
    QTest::newRow("nested branches unwind in order")
        << "[F[+F]fF]-F"
        << "" << 0 << 11
        << "line 100,100 110,100; line 110,100 110,110; line 120,100 130,100; line 100,100 100,90";
    QTest::newRow("] without an open [ keeps the turtle in place")
        << "]F]F"
        << "" << 0 << 4 << "line 100,100 110,100; line 110,100 120,100";
}

void TurtleTest::lsystem() {
    QFETCH(QString, initiator);
    QFETCH(QString, generator);
    QFETCH(int, depth);
    QFETCH(int, elements);
    QFETCH(QString, drawing);
    Run r;
    r.draw({4,
            0,
            depth,
            {{100, 100}, {200, 100}},
            90,
            false,
            initiator.toStdString(),
            generator.toStdString()});
    const QStringList lines = r.drawn();
    QCOMPARE(drawing.contains(' ') ? lines.join("; ") : QString::number(lines.size()), drawing);
    QCOMPARE(r.model.ElementsDrawn, elements);
    QCOMPARE(r.yields, elements); // one per element keeps the window responsive
}

// cos and sin of the heading are the unit vector from A to B in every quadrant.
void TurtleTest::heading_data() {
    QTest::addColumn<QLineF>("ab");
    QTest::newRow("right") << QLineF(0, 0, 5, 0);
    QTest::newRow("right and down") << QLineF(1, 1, 4, 5);
    QTest::newRow("left and down") << QLineF(1, 1, -2, 5);
    QTest::newRow("left and up") << QLineF(1, 1, -2, -3);
    QTest::newRow("right and up") << QLineF(0, 0, 3, -4);
    QTest::newRow("straight up") << QLineF(100, 100, 100, 50);
    QTest::newRow("straight left") << QLineF(100, 100, 50, 100);
}

void TurtleTest::heading() {
    QFETCH(QLineF, ab);
    const double alpha = zv::HeadingAngle({ab.x1(), ab.y1()}, {ab.x2(), ab.y2()});
    QVERIFY(std::abs(std::cos(alpha) - ab.dx() / ab.length()) < 1e-9);
    QVERIFY(std::abs(std::sin(alpha) - ab.dy() / ab.length()) < 1e-9);
}

// From A = (0, 200) to B = (270, 200) at D 3: 448 characters, 192 steps of 10;
// the first side ends at B, the second at the corner above, the third at A.
void TurtleTest::kochSnowflake() {
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
void TurtleTest::kochBeyondSevenPassesShrinks() {
    Run nine, seven;
    nine.draw({3, 2, 9, {{0, 200}, {270, 200}}});
    seven.draw({3, 2, 7, {{0, 200}, {30, 200}}});
    QCOMPARE(nine.drawn().size(), 3 << 14);
    QCOMPARE(nine.drawn(), seven.drawn());
}

// The walk expands the rewritten string lazily; the plain rewrite builds it
// pass by pass and runs it on a turtle of its own with an unbounded stack.
void TurtleTest::walkMatchesPlainRewrite() {
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
        zv::RewriteWalk walk(f.init, f.gen, f.depth);
        std::string walked;
        for (char c = 0; walk.Next(c);) {
            walked += c;
        }
        QVERIFY2(walked == rewritten, qPrintable(what));
        zv::RewriteWalk inRuns(f.init, f.gen, f.depth);
        walked.clear();
        for (std::string_view run; inRuns.NextRun(run);) {
            walked += run;
        }
        QVERIFY2(walked == rewritten, qPrintable(what));

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
                t.alpha += (c == '+' ? 1 : -1) * f.param / 180 * 3.141592654;
            } else if (c == '[') {
                saved.push_back(t);
            } else if (c == ']' && !saved.empty()) {
                t = saved.back();
                saved.pop_back();
            }
        }
        Run r;
        r.draw(f);
        QVERIFY2(r.model.ElementsDrawn == qint64(rewritten.size()), qPrintable(what));
        QVERIFY2(r.drawn() == expected, qPrintable(what));
    }
}

QTEST_APPLESS_MAIN(TurtleTest)
#include "tst_turtle.moc"
