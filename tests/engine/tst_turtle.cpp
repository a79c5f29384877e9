// The turtle as the L-system type uses it: heading, commands, brackets, limits.

#include "Algorithms.h"
#include "DrawRun.h"
#include "EngineTestSupport.h"
#include "TurtleGraphicsCls.h"

#include <QLineF>
#include <QList>
#include <QtTest>

#include <cmath>
#include <limits>
#include <string>

using zvtest::CanvasOp;

namespace {

struct LSystemRun {
    zv::ParameterModel model;
    zvtest::RecordingCanvas canvas;
    zvtest::ScriptedHost host{model};
    zv::RandomSource random{7};
    zv::DrawRun run{model, canvas, host, random};

    LSystemRun(const std::string& initiator, const std::string& generator, int depth) {
        model.GlobalState = zv::WorkingMode;
        model.Canvas = &canvas;
        model.ForeColor = 0x123456;
        model.CalcDepth = depth;
        model.LSystem.FixPoints = {{{100, 100}, {200, 100}}};
        model.LSystem.InitiatorString = initiator;
        model.LSystem.GeneratorString = generator;
        model.LSystem.LineLength = 10;
        model.LSystem.Delta = 90;
    }

    void draw() { zv::DrawLSystem(run); }

    QList<QLineF> lines() const {
        QList<QLineF> out;
        for (const CanvasOp& op : canvas.only(CanvasOp::Line)) {
            out.append(QLineF(op.x1, op.y1, op.x2, op.y2));
        }
        return out;
    }
};

bool near(const QLineF& a, const QLineF& b) {
    constexpr double tolerance = 1e-3;
    return std::abs(a.x1() - b.x1()) < tolerance && std::abs(a.y1() - b.y1()) < tolerance &&
           std::abs(a.x2() - b.x2()) < tolerance && std::abs(a.y2() - b.y2()) < tolerance;
}

QString describe(const QList<QLineF>& lines) {
    QStringList parts;
    for (const QLineF& l : lines) {
        parts << QStringLiteral("(%1,%2)-(%3,%4)").arg(l.x1()).arg(l.y1()).arg(l.x2()).arg(l.y2());
    }
    return parts.join(QLatin1Char(' '));
}

void compareLines(const QList<QLineF>& actual, const QList<QLineF>& expected) {
    bool same = actual.size() == expected.size();
    for (qsizetype i = 0; same && i < actual.size(); ++i) {
        same = near(actual[i], expected[i]);
    }
    if (!same) {
        QFAIL(qPrintable(
            QStringLiteral("lines %1\nexpected %2").arg(describe(actual), describe(expected))));
    }
}

} // namespace

class TurtleTest : public QObject {
    Q_OBJECT

private slots:
    void rewriteCounts_data();
    void rewriteCounts();
    void depthBeyondSevenDrawsSevenPasses();
    void heading_data();
    void heading();
    void startDirection_data();
    void startDirection();
    void brackets_data();
    void brackets();
    void openBracketsBeyondSixteenBits_data();
    void openBracketsBeyondSixteenBits();
    void drawingStartsBeforeTheRewriteCouldBeBuilt();
    void nonFiniteInputDrawsNothingButCounts_data();
    void nonFiniteInputDrawsNothingButCounts();
};

// Every character of the rewritten string is one element; only "F" draws.
void TurtleTest::rewriteCounts_data() {
    QTest::addColumn<QString>("initiator");
    QTest::addColumn<QString>("generator");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("elements");
    QTest::addColumn<int>("lines");

    QTest::newRow("plant, one pass") << "F"
                                     << "F[+F]F[-F]F" << 1 << 11 << 5;
    QTest::newRow("plant, two passes") << "F"
                                       << "F[+F]F[-F]F" << 2 << 61 << 25;
    QTest::newRow("depth 0 draws the initiator") << "F+F"
                                                 << "FF" << 0 << 3 << 2;
    QTest::newRow("negative depth draws the initiator") << "F+F"
                                                        << "FF" << -5 << 3 << 2;
    QTest::newRow("other characters count, draw nothing") << "FX F"
                                                          << "" << 0 << 4 << 2;
    QTest::newRow("lower-case f is not rewritten") << "fF"
                                                   << "FF" << 2 << 5 << 4;
    QTest::newRow("empty initiator") << ""
                                     << "F+F" << 3 << 0 << 0;
    QTest::newRow("empty generator erases every F") << "F+F-F"
                                                    << "" << 2 << 2 << 0;
    QTest::newRow("both empty") << ""
                                << "" << 7 << 0 << 0;
}

void TurtleTest::rewriteCounts() {
    QFETCH(QString, initiator);
    QFETCH(QString, generator);
    QFETCH(int, depth);
    QFETCH(int, elements);
    QFETCH(int, lines);

    LSystemRun r(initiator.toStdString(), generator.toStdString(), depth);
    r.draw();
    QCOMPARE(r.model.ElementsDrawn, elements);
    QCOMPARE(r.canvas.count(CanvasOp::Line), lines);
    QCOMPARE(r.model.RecursionsDone, 0);
    // One yield per element keeps the window responsive.
    QCOMPARE(r.host.yields, elements);
}

void TurtleTest::depthBeyondSevenDrawsSevenPasses() {
    LSystemRun seven("F-F", "F+fF", 7);
    seven.draw();
    LSystemRun ten("F-F", "F+fF", 10);
    ten.draw();
    LSystemRun huge("F-F", "F+fF", std::numeric_limits<std::int32_t>::max());
    huge.draw();
    QVERIFY(seven.model.ElementsDrawn > 0);
    QCOMPARE(ten.model.ElementsDrawn, seven.model.ElementsDrawn);
    QCOMPARE(huge.model.ElementsDrawn, seven.model.ElementsDrawn);
    QCOMPARE(ten.lines(), seven.lines());
    QCOMPARE(huge.lines(), seven.lines());
}

// The heading must point from A to B in every quadrant, so cos and sin of it
// are the unit vector of B - A.
void TurtleTest::heading_data() {
    QTest::addColumn<double>("ax");
    QTest::addColumn<double>("ay");
    QTest::addColumn<double>("bx");
    QTest::addColumn<double>("by");

    QTest::newRow("right") << 0.0 << 0.0 << 5.0 << 0.0;
    QTest::newRow("right and down") << 1.0 << 1.0 << 4.0 << 5.0;
    QTest::newRow("left and down") << 1.0 << 1.0 << -2.0 << 5.0;
    QTest::newRow("left and up") << 1.0 << 1.0 << -2.0 << -3.0;
    QTest::newRow("right and up") << 0.0 << 0.0 << 3.0 << -4.0;
    QTest::newRow("straight up") << 100.0 << 100.0 << 100.0 << 50.0;
    QTest::newRow("straight down") << 100.0 << 50.0 << 100.0 << 100.0;
    QTest::newRow("straight left") << 100.0 << 100.0 << 50.0 << 100.0;
}

void TurtleTest::heading() {
    QFETCH(double, ax);
    QFETCH(double, ay);
    QFETCH(double, bx);
    QFETCH(double, by);

    const double alpha = zv::HeadingAngle({ax, ay}, {bx, by});
    const double length = std::hypot(bx - ax, by - ay);
    QVERIFY(std::abs(std::cos(alpha) - (bx - ax) / length) < 1e-9);
    QVERIFY(std::abs(std::sin(alpha) - (by - ay) / length) < 1e-9);
}

// The first step of an L-system from fix point 0 towards fix point 1.
void TurtleTest::startDirection_data() {
    QTest::addColumn<QPointF>("p0");
    QTest::addColumn<QPointF>("p1");
    QTest::addColumn<QString>("initiator");
    QTest::addColumn<QList<QLineF>>("expected");

    QTest::newRow("point 1 above: straight up")
        << QPointF(100, 100) << QPointF(100, 50) << "F" << QList<QLineF>{QLineF(100, 100, 100, 90)};
    QTest::newRow("point 1 to the left: left")
        << QPointF(100, 100) << QPointF(50, 100) << "F" << QList<QLineF>{QLineF(100, 100, 90, 100)};
    QTest::newRow("equal points: right") << QPointF(100, 100) << QPointF(100, 100) << "F"
                                         << QList<QLineF>{QLineF(100, 100, 110, 100)};
    QTest::newRow("+ turns clockwise on the screen")
        << QPointF(100, 100) << QPointF(200, 100) << "F+F"
        << QList<QLineF>{QLineF(100, 100, 110, 100), QLineF(110, 100, 110, 110)};
    QTest::newRow("- turns anticlockwise on the screen")
        << QPointF(100, 100) << QPointF(200, 100) << "F-F"
        << QList<QLineF>{QLineF(100, 100, 110, 100), QLineF(110, 100, 110, 90)};
}

void TurtleTest::startDirection() {
    QFETCH(QPointF, p0);
    QFETCH(QPointF, p1);
    QFETCH(QString, initiator);
    QFETCH(QList<QLineF>, expected);

    LSystemRun r(initiator.toStdString(), "", 0);
    r.model.LSystem.FixPoints = {{{p0.x(), p0.y()}, {p1.x(), p1.y()}}};
    r.draw();
    compareLines(r.lines(), expected);
}

// Start (100, 100), heading right, steps of 10, turns of 90 degrees.
void TurtleTest::brackets_data() {
    QTest::addColumn<QString>("initiator");
    QTest::addColumn<QList<QLineF>>("expected");

    QTest::newRow("branch returns to its start and direction")
        << "F[+F]F"
        << QList<QLineF>{QLineF(100, 100, 110, 100), QLineF(110, 100, 110, 110),
                         QLineF(110, 100, 120, 100)};
    QTest::newRow("nested branches unwind in order")
        << "[F[+F]F]-F"
        << QList<QLineF>{QLineF(100, 100, 110, 100), QLineF(110, 100, 110, 110),
                         QLineF(110, 100, 120, 100), QLineF(100, 100, 100, 90)};
    QTest::newRow("f moves without drawing")
        << "fF[f]F" << QList<QLineF>{QLineF(110, 100, 120, 100), QLineF(120, 100, 130, 100)};
    QTest::newRow("] as the first command is ignored")
        << "]F" << QList<QLineF>{QLineF(100, 100, 110, 100)};
    QTest::newRow("] without an open [ keeps the turtle in place")
        << "[F]F]F"
        << QList<QLineF>{QLineF(100, 100, 110, 100), QLineF(100, 100, 110, 100),
                         QLineF(110, 100, 120, 100)};
    QTest::newRow("unclosed [ at the end") << "F[+" << QList<QLineF>{QLineF(100, 100, 110, 100)};
}

void TurtleTest::brackets() {
    QFETCH(QString, initiator);
    QFETCH(QList<QLineF>, expected);

    LSystemRun r(initiator.toStdString(), "", 0);
    r.draw();
    compareLines(r.lines(), expected);
    QCOMPARE(r.model.ElementsDrawn, initiator.size());
}

// The saved states have a 16-bit top index. Nesting beyond it must neither
// overflow the index nor break the brackets of the outer levels.
void TurtleTest::openBracketsBeyondSixteenBits_data() {
    QTest::addColumn<int>("open");

    QTest::newRow("all kept") << 32767;
    QTest::newRow("exactly the kept levels") << 32768;
    QTest::newRow("one beyond") << 32769;
    QTest::newRow("twice the index range") << 70000;
}

void TurtleTest::openBracketsBeyondSixteenBits() {
    QFETCH(int, open);

    // Each level turns a little, so a wrong restore shows in the direction.
    std::string text;
    for (int i = 0; i < open; ++i) {
        text += "[+";
    }
    text += "F";
    for (int i = 0; i < open; ++i) {
        text += "]";
    }
    text += "F]]]F";

    LSystemRun r(text, "", 0);
    r.model.LSystem.Delta = 0.01; // degrees per level
    r.draw();
    const QList<QLineF> lines = r.lines();
    QCOMPARE(lines.size(), 3);
    // Once every level is closed the turtle is back at the start, heading right,
    // and the surplus "]" leave it where it is.
    QVERIFY(near(lines[1], QLineF(100, 100, 110, 100)));
    QVERIFY(near(lines[2], QLineF(110, 100, 120, 100)));
    QCOMPARE(r.model.ElementsDrawn, static_cast<qint64>(text.size()));
}

// Seven passes of a generator with 20 "F" would be 1.28e9 characters; the run
// must draw at once and stop at the next character when cancelled.
void TurtleTest::drawingStartsBeforeTheRewriteCouldBeBuilt() {
    LSystemRun r("F", std::string(20, 'F'), 7);
    r.host.onYield = [&](int n) {
        if (n == 5000) {
            r.model.GlobalState = zv::EditMode;
        }
    };
    r.draw();
    QCOMPARE(r.model.ElementsDrawn, 5000);
    const QList<QLineF> lines = r.lines();
    QCOMPARE(lines.size(), 5000);
    QVERIFY(near(lines.last(), QLineF(100 + 4999 * 10, 100, 100 + 5000 * 10, 100)));
}

// Coordinates and lengths from a file may be huge, infinite or NaN: nothing
// may reach a raw float cast, and every character is still counted.
void TurtleTest::nonFiniteInputDrawsNothingButCounts_data() {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    QTest::addColumn<double>("x0");
    QTest::addColumn<double>("y0");
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("lineLength");
    QTest::addColumn<double>("delta");

    QTest::newRow("huge start") << 1e300 << -1e300 << 0.0 << 10.0 << 90.0;
    QTest::newRow("infinite start") << inf << 0.0 << 0.0 << 10.0 << 90.0;
    QTest::newRow("NaN start") << nan << 0.0 << 0.0 << 10.0 << 90.0;
    QTest::newRow("NaN heading point") << 0.0 << 0.0 << nan << 10.0 << 90.0;
    QTest::newRow("huge steps") << 0.0 << 0.0 << 1.0 << 1e308 << 90.0;
    QTest::newRow("infinite steps") << 0.0 << 0.0 << 1.0 << inf << 45.0;
    QTest::newRow("NaN angle") << 0.0 << 0.0 << 1.0 << 10.0 << nan;
    QTest::newRow("infinite angle") << 0.0 << 0.0 << 1.0 << 10.0 << inf;
}

void TurtleTest::nonFiniteInputDrawsNothingButCounts() {
    QFETCH(double, x0);
    QFETCH(double, y0);
    QFETCH(double, x1);
    QFETCH(double, lineLength);
    QFETCH(double, delta);

    LSystemRun r("F", "F[+F]F[-F]F", 2);
    r.model.LSystem.FixPoints = {{{x0, y0}, {x1, 0}}};
    r.model.LSystem.LineLength = lineLength;
    r.model.LSystem.Delta = delta;
    r.draw();
    QCOMPARE(r.model.ElementsDrawn, 61);
    for (const QLineF& l : r.lines()) {
        QVERIFY(std::isfinite(l.x1()) && std::isfinite(l.y1()));
        QVERIFY(std::isfinite(l.x2()) && std::isfinite(l.y2()));
    }
}

QTEST_APPLESS_MAIN(TurtleTest)
#include "tst_turtle.moc"
