// Every figure type drawn through the dispatcher: what lands on the canvas, in
// order, with its counters; the limits of the inputs; the turtle; then what
// every algorithm shares: the pause, single-step and cancel protocol, the
// counter texts and the random element colours. The figures are drawn against
// one test double that is both the canvas and the host: every call lands in one
// trace, in order: drawing operations as text ("line 0,100 200,100",
// "circle 5,6 2", "poly 1,2 3,4 5,6", colour as " #hex" with red in the low
// byte, left out when it is Pen) and host calls ("yield", "sleep 100",
// "E:<elements text>", "R:<recursions text>").
#include "../DataRows.h"
#include "DrawFractal.h"
#include "DrawRun.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

using namespace zvtest;
using zv::FixPoint;

constexpr std::int32_t Pen = 0x345678, MaxLong = std::numeric_limits<std::int32_t>::max();
const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();

// Any figure: pts are the fix points (Cantor: left end, right end; gadget:
// three corners, the third (100, 0) if left out; L-system: start and heading
// point); param is the Cantor ElementsCount, the cross's decrease factor or the
// L-system's turn in degrees.
struct Figure {
    int type = 0, mode = 0, depth = 1;
    std::vector<FixPoint> pts{{0, 10}, {300, 10}, {100, 0}};
    double param = 0;
    bool closed = false;
    std::string init = "F", gen = "F[+F]F[-F]F";
};

struct Run : zv::Canvas, zv::RunHost {
    zv::ParameterModel model;
    zv::RandomSource random{20261206};
    QStringList trace, ops; // ops: only what put something on the canvas
    std::int32_t fill = 0, backColor = 0xFFFFFF;
    int yields = 0;
    std::function<void(int)> onYield = [](int) {}; // at every yield, numbered from 1

    Run() {
        model.Canvas = this;
        model.GlobalState = zv::WorkingMode;
        model.ForeColor = Pen;
    }
    void draw(const Figure& f) {
        auto& m = model;
        const auto& p = f.pts;
        const auto mode = std::uint8_t(f.mode);
        m.CalcDepth = f.depth;
        // param is also the cross's factor (up to 1e9): clamp before it becomes a Byte.
        m.CantorSet = {mode, {{p[0], p[1]}}, 20, std::uint8_t(std::clamp(f.param, 0.0, 255.0))};
        m.Cross = {mode, p, f.closed, f.param};
        m.SierpinskyGadget = {mode, {{p[0], p[1], p.size() >= 3 ? p[2] : zv::FixPoint{100, 0}}}};
        m.KochCurve = {mode, p, f.closed};
        m.LSystem = {{{p[0], p[1]}}, f.init, f.gen, 10, f.param};
        zv::DrawFractal(m, std::uint8_t(f.type), *this, random);
    }
    // A yield that is the wake-up of a paused run: right after its 100 ms sleep
    // (the gadget demo's own sleep is followed by a refresh).
    bool wakingUp() const { return trace.size() >= 2 && trace[trace.size() - 2] == "sleep 100"; }

    // "what x,y x,y ..." from coordinate pairs (a lone last value stands alone), then the colour.
    void put(const char* what, const std::vector<double>& v, std::int32_t color) {
        QString s = what;
        for (std::size_t i = 0; i < v.size(); ++i) {
            s += (i % 2 == 0 ? ' ' : ',') + QString::number(v[i]);
        }
        ops << s + (color == Pen ? QString() : " #" + QString::number(color, 16));
        trace << ops.last();
    }
    void Clear() override { trace << "clear"; }
    void SetMousePointer(int p) override { trace << "pointer " + QString::number(p); }
    void Line(float a, float b, float c, float d, int k) override { put("line", {a, b, c, d}, k); }
    void Box(float a, float b, float c, float d, int k) override { put("box", {a, b, c, d}, k); }
    void Circle(float x, float y, float r, int k) override { put("circle", {x, y, r}, k); }
    void SetPixelV(int x, int y, int k) override { put("pixel", {double(x), double(y)}, k); }
    void Polygon(std::span<const zv::IntPoint> pts) override {
        std::vector<double> xy;
        for (const zv::IntPoint& q : pts) {
            xy.insert(xy.end(), {double(q.x), double(q.y)});
        }
        put("poly", xy, fill);
    }
    void SetFillColor(std::int32_t col) override { fill = col; }
    std::int32_t ForeColor() const override { return 0xabcdef; }
    float ScaleWidth() const override { return 270; }
    float ScaleHeight() const override { return 300; }
    void Refresh() override { trace << "refresh"; }

    void YieldToEvents() override {
        trace << "yield";
        onYield(++yields);
    }
    void Sleep(int ms) override { trace << "sleep " + QString::number(ms); }
    void EnterPauseMode() override { model.GlobalState = zv::PauseMode; }
    void SetElementsText(std::string_view t) override { trace << "E:" + QString::fromLatin1(t); }
    void SetRecursionsText(std::string_view t) override { trace << "R:" + QString::fromLatin1(t); }
    std::int32_t BackColor() const override { return backColor; }
};
Q_DECLARE_METATYPE(Figure)

// The 16-colour text-mode palette as Longs (red in the low byte), written out
// apart from the engine's table so that a swapped channel or entry shows.
const std::array<std::int32_t, 16> TextModePalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

// An L-system figure: from (1, 1) heading for b, turning by 90 degrees.
static Figure turtle(std::string init, std::string gen = "", int depth = 0, FixPoint b = {2, 1}) {
    return {4, 0, depth, {{1, 1}, b}, 90, false, init, gen};
}

class AlgorithmsTest : public QObject {
    Q_OBJECT

private slots:
    // Each row runs, keeps every coordinate finite, counts from 0 and ends the
    // run properly; when cancelled at a yield it stops right there. A row with
    // steps runs again, started paused in single steps as the draw command does:
    // each step waits (over two wake-ups here) without drawing, then one S
    // press draws it, and the picture is the same.
    void drawing_data() {
        // expected: "; "-joined, a pattern "^...", "": unchecked; counts: elements, recursions,
        // yields, the first n; cancelAt: 0 runs to its end, < 0 paused there, then cancelled.
        columns<Figure, QString, QList<qint64>, int, int>("figure", "expected", "counts",
                                                          "cancelAt", "steps");
        auto row = [](const char* name, Figure f, const char* drawing, QList<qint64> counts,
                      int cancelAt = 0, int steps = 0) {
            QTest::newRow(name) << f << QString(drawing) << counts << cancelAt << steps;
        };
        row("Cantor k 3: fifths", {0, 0, 1, {{0, 10}, {500, 99}}, 3},
            "box 0,10 500,30; box 0,30 100,50; box 200,30 300,50; box 400,30 500,50", {4, 3, 3}, 0,
            3);
        // Spans the 270 wide canvas; level colours 14737632 / D * level; top bar not counted.
        row("Cantor demo, D 2", {0, 3, 2, {{50, 50}, {60, 60}}, 5},
            "box 0,0 270,20; box 0,20 90,40 #707070; box 180,20 270,40 #707070; "
            "box 0,40 30,60 #e0e0e0; box 60,40 90,60 #e0e0e0; box 180,40 210,60 #e0e0e0; "
            "box 240,40 270,60 #e0e0e0",
            {6, 0, 3}, 0, 3); // a step: a pair of bars
        row("cross D 2: half-segments, then half-bars", {1, 0, 2, {{0, 100}, {200, 100}}, 0.5},
            "line 0,100 200,100; line 100,50 100,150; line 50,125 50,75; line 150,75 150,125; "
            "line 112.5,75 87.5,75; line 87.5,125 112.5,125",
            {6, 5, 5}, 0, 5);
        row("cross at 45 degrees: the bar lies on its segment",
            {1, 0, 1, {{0, 0}, {100, 100}}, 0.5}, "line 0,0 100,100; line 25,25 75,75", {2, 1, 1});
        row("gadget midpoints halve to even", {2, 0, 1, {{0, 0}, {5, 0}, {0, -3}}},
            "poly 0,0 5,0 0,-3 #abcdef; poly 2,0 2,-2 0,-2", {1, 1, 1}, 0, 1);
        // Green start, silver jumps to red points of radius 2, whatever the pen.
        row("gadget demo colours", {2, 3, 2, {{0, 200}, {200, 200}, {100, 0}}},
            "^circle \\S+ 2 #ff00(; line \\S+ \\S+ #c0c0c0; circle \\S+ 2 #ff){2}$", {2, 0, 2}, 0,
            2);
        // Points only, a refresh and a yield after every tenth.
        row("chaos game", {2, 1, 30}, "^pixel \\S+(; pixel \\S+){29}$", {30, 0, 3}, 0, 30);
        row("Koch D 2: a step is a bump", {3, 0, 2, {{0, 100}, {200, 100}}}, "", {11, 5, 5}, 0, 5);
        row("Koch closed: both ways, bumps on both sides",
            {3, 0, 1, {{0, 100}, {300, 100}}, 0, true},
            "line 0,100 300,100; line 100,100 150,14.5; line 150,14.5 200,100; line 300,100 0,100; "
            "line 200,100 150,185.5; line 150,185.5 100,100",
            {6, 2, 2});
        // The turtle starts at A heading for B; "+" turns clockwise on the screen,
        // "]" returns to the place and heading of its "[", "f" moves without a line.
        row("heading right and down", turtle("F", "", 0, {4, 5}), "line 1,1 7,9", {1, 0, 1});
        row("heading left and up", turtle("F", "", 0, {-2, -3}), "line 1,1 -5,-7", {1, 0, 1});
        row("heading straight up", turtle("F", "", 0, {1, -50}), "line 1,1 1,-9", {1, 0, 1});
        row("nested branches", turtle("F[+F[+F]]fX[-F]F"),
            "line 1,1 11,1; line 11,1 11,11; line 11,11 1,11; line 21,1 21,-9; line 21,1 31,1",
            {16, 0, 16}, 0, 16);

        const std::vector<FixPoint> huge{{1e300, -1e300}, {-1e300, 1e300}, {0, 1e300}},
            infinite{{Inf, 0}, {-Inf, Inf}, {0, -Inf}}, notANumber{{NaN, 0}, {100, NaN}, {5, 5}};
        for (const auto& [type, mode] :
             {std::pair{0, 0}, {0, 3}, {1, 0}, {2, 0}, {2, 1}, {2, 3}, {3, 0}, {3, 2}, {4, 0}}) {
            QTest::addRow("depth 2^31-1, cancelled while paused, type %d mode %d", type, mode)
                << Figure{type, mode, MaxLong, {{0, 200}, {200, 200}}, 2, true} << QString()
                << QList<qint64>{} << -300 << 0;
        }
        for (int type = 0; type < 5; ++type) {
            for (const auto& [what, pts] :
                 {std::pair{"1e300", huge}, {"inf", infinite}, {"NaN", notANumber}}) {
                QTest::addRow("type %d, fix points at %s", type, what)
                    << Figure{type, 0, 2, pts, 0.5, true} << QString() << QList<qint64>{} << 0 << 0;
            }
        }
        row("L-system, 7 passes of 20 F: drawn lazily", turtle("F", std::string(20, 'F'), 7), "",
            {5000}, 5000);
        row("Cantor k 0: top bar only", {0, 0, 3, {{0, 10}, {270, 10}}, 0}, "", {1});
        row("Cantor k 129 as 128", {0, 0, 1, {{0, 10}, {270, 10}}, 129}, "", {129});
        row("Cantor demo, 16 levels stop at 15", {0, 3, 16}, "", {(1LL << 16) - 2});
        // Points round to the nearest pixel, so the corners reach the far edges.
        row("chaos game, 40000 points", {2, 1, 40000}, "^(?=.*pixel 270,)(?=.*pixel \\d+,300;)",
            {40000});
        row("cross, factor 1e9", {1, 0, 3, {{0, 100}, {200, 100}}, 1e9}, "", {22});
        row("L-system, \"]\" first", turtle("]F"), "line 1,1 11,1", {2});
        row("L-system, 40000 open \"[\"", turtle(std::string(40000, '[') + "+F]]F"), "", {40005});
        row("L-system, empty initiator", turtle("", "F+F", 3), "", {0});
        row("L-system, empty generator", turtle("F+F-F", "", 2), "", {2});
        row("unknown type", {5, 0}, "", {0});
        row("cross has no demo", {1, 3}, "", {0});
    }

    void drawing() {
        QFETCH(Figure, figure);
        QFETCH(QString, expected);
        QFETCH(QList<qint64>, counts);
        QFETCH(int, cancelAt);
        QFETCH(int, steps);
        Run r;
        r.model.ElementsDrawn = r.model.RecursionsDone = 1LL << 40;
        QList<qint64> atCancel; // drawn, counted, yields
        r.onYield = [&](int y) {
            const bool wakeUp = r.wakingUp();
            if (y == std::abs(cancelAt) || wakeUp) {
                r.model.GlobalState = cancelAt < 0 && !wakeUp ? zv::PauseMode : zv::EditMode;
                atCancel = {r.ops.size(), r.model.ElementsDrawn, y};
            }
        };
        r.draw(figure);
        const QString drawing = r.ops.join("; ");
        if (expected.startsWith('^')) {
            QVERIFY2(QRegularExpression(expected).match(drawing).hasMatch(), qPrintable(drawing));
        } else if (!expected.isEmpty()) {
            QCOMPARE(drawing, expected);
        }
        const QList<qint64> counted{r.model.ElementsDrawn, r.model.RecursionsDone, r.yields};
        QCOMPARE(counted.first(counts.size()), counts);
        QVERIFY(!r.trace.join(' ').contains(QRegularExpression("inf|nan")));
        QCOMPARE(r.trace.last(), "pointer 0");
        if (cancelAt != 0) { // nothing more after the cancel, not even a base segment
            QCOMPARE((QList<qint64>{r.ops.size(), r.model.ElementsDrawn, r.yields}), atCancel);
        }
        if (steps == 0) {
            return;
        }
        Run stepped;
        stepped.model.PauseAfterEachOp = true;
        stepped.model.GlobalState = zv::PauseMode;
        QList<qsizetype> drawnAtWakeUps;
        stepped.onYield = [&](int) {
            if (stepped.wakingUp()) { // the user presses S at every second one
                drawnAtWakeUps << stepped.ops.size();
                stepped.model.GlobalState =
                    drawnAtWakeUps.size() % 2 ? zv::PauseMode : zv::WorkingMode;
            }
        };
        stepped.draw(figure);
        QCOMPARE(drawnAtWakeUps.size(), 2 * steps);                // none after the last step
        for (qsizetype i = 0; i < drawnAtWakeUps.size(); i += 2) { // nothing drawn while waiting
            QCOMPARE(drawnAtWakeUps[i], drawnAtWakeUps[i + 1]);
        }
        QCOMPARE(stepped.ops, r.ops);
    }

    // From A = (1, 200) to B = (271, 200) at D 3: 448 characters, 192 steps of
    // 10; the first side ends at B, the second at the corner above, the third at
    // A. Past 7 passes the shape stays that of 7 while the step shrinks with the
    // full depth: D 9 on a side of 270 is D 7 on a side of 30.
    void kochSnowflake() {
        Run r, nine, seven;
        r.draw({3, 2, 3, {{1, 200}, {271, 200}}});
        QCOMPARE(r.model.ElementsDrawn, 448);
        QCOMPARE(r.ops[63].section(' ', 2), "271,200");
        QCOMPARE(r.ops[127].section(' ', 2), "136,-33.8269"); // 200 - 135 sqrt 3
        QCOMPARE(r.ops[191].section(' ', 2), "1,200");
        nine.draw({3, 2, 9, {{1, 200}, {271, 200}}});
        seven.draw({3, 2, 7, {{1, 200}, {31, 200}}});
        QCOMPARE(nine.ops.size(), 3 << 14);
        QCOMPARE(nine.ops, seven.ops);
    }

    // Both counters stepped alike: their texts come at totals that are
    // multiples of 15 (not when a step of 2 passes 16) and at every count while
    // paused; the 10 ms sleep comes with the elements text alone.
    void counterTexts() {
        Run r;
        zv::DrawRun run(r.model, r, r, r.random);
        for (const int step : {2, 2, 2, 2, 2, 2, 2, 2, 14, 1}) {
            r.model.GlobalState = r.model.ElementsDrawn == 30 ? zv::PauseMode : zv::WorkingMode;
            run.CountElements(step);
            run.CountRecursions(step);
        }
        QCOMPARE(r.trace.join("; "), "sleep 10; E:Elements drawn: 30; R:Recursions: 30; "
                                     "sleep 10; E:Elements drawn: 31; R:Recursions: 31");
    }

    // Uniform over the palette colours other than the background.
    void randomColorAvoidsBackground() {
        for (const auto& [background, colors] : {std::pair{zv::rgb(255, 255, 255), 15}, {1, 16}}) {
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
            // 14 or 15 degrees of freedom: 60 is far beyond the 1e-6 quantile, yet
            // a generator that favours one colour by a third lands well above it.
            QVERIFY2(chiSquare < 60, qPrintable(QString::number(chiSquare)));
        }
    }
};

QTEST_APPLESS_MAIN(AlgorithmsTest)
#include "tst_algorithms.moc"
