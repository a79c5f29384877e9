// The turtle walks the rewritten string without building it. These tests hold
// the walk against the plain rewrite: build the whole string pass by pass,
// then execute it character by character with a turtle of its own.

#include "Algorithms.h"
#include "DrawRun.h"
#include "EngineTestSupport.h"
#include "TurtleGraphicsCls.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

using zvtest::CanvasOp;

namespace {

constexpr double Pi = 3.141592654;

std::string plainRewrite(const std::string& initiator, const std::string& generator, int depth) {
    std::string text = initiator;
    for (int pass = 1; pass <= std::min(depth, 7); ++pass) {
        std::string next;
        for (char c : text) {
            if (c == 'F') {
                next += generator;
            } else {
                next += c;
            }
        }
        text = next;
    }
    return text;
}

struct Segment {
    float x1, y1, x2, y2;
    bool operator==(const Segment&) const = default;
};

// Executes the text as turtle commands. Brackets on an unbounded stack; a "]"
// with nothing open leaves the turtle in place.
std::vector<Segment> plainTurtle(const std::string& text, double x, double y, double alpha,
                                 double distance, double delta) {
    struct Saved {
        double x, y, alpha;
    };
    std::vector<Saved> saved;
    std::vector<Segment> lines;
    for (char c : text) {
        switch (c) {
        case 'F':
        case 'f': {
            const double fromX = x;
            const double fromY = y;
            x = x + std::cos(alpha) * distance;
            y = y + std::sin(alpha) * distance;
            if (c == 'F') {
                lines.push_back({static_cast<float>(fromX), static_cast<float>(fromY),
                                 static_cast<float>(x), static_cast<float>(y)});
            }
            break;
        }
        case '+':
            alpha = alpha + delta;
            break;
        case '-':
            alpha = alpha - delta;
            break;
        case '[':
            saved.push_back({x, y, alpha});
            break;
        case ']':
            if (!saved.empty()) {
                x = saved.back().x;
                y = saved.back().y;
                alpha = saved.back().alpha;
                saved.pop_back();
            }
            break;
        default:
            break;
        }
    }
    return lines;
}

struct Case {
    std::string initiator;
    std::string generator;
    int depth;
    double deltaDegrees;
    zv::FixPoint p0;
    zv::FixPoint p1;
    double lineLength;
};

Case randomCase(std::mt19937& rng) {
    static const std::string alphabet = "Ff+-[]X ";
    const auto randomText = [&](int maxLength) {
        std::string s(std::uniform_int_distribution<int>(0, maxLength)(rng), ' ');
        for (char& c : s) {
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
        }
        return s;
    };
    std::uniform_real_distribution<double> coordinate(0, 300);
    Case c;
    c.initiator = randomText(6);
    c.generator = randomText(7);
    c.depth = std::uniform_int_distribution<int>(0, 4)(rng);
    c.deltaDegrees = std::uniform_real_distribution<double>(-360, 360)(rng);
    c.p0 = {coordinate(rng), coordinate(rng)};
    c.p1 = {coordinate(rng), coordinate(rng)};
    c.lineLength = std::uniform_real_distribution<double>(0.5, 20)(rng);
    return c;
}

struct LSystemRun {
    zv::ParameterModel model;
    zvtest::RecordingCanvas canvas;
    zvtest::ScriptedHost host{model};
    zv::RandomSource random{11};
    zv::DrawRun run{model, canvas, host, random};

    explicit LSystemRun(const Case& c) {
        model.GlobalState = zv::WorkingMode;
        model.Canvas = &canvas;
        model.ForeColor = 0x0000FF;
        model.CalcDepth = c.depth;
        model.LSystem.FixPoints = {c.p0, c.p1};
        model.LSystem.InitiatorString = c.initiator;
        model.LSystem.GeneratorString = c.generator;
        model.LSystem.LineLength = c.lineLength;
        model.LSystem.Delta = c.deltaDegrees;
    }

    std::vector<Segment> lines() const {
        std::vector<Segment> out;
        for (const CanvasOp& op : canvas.only(CanvasOp::Line)) {
            out.push_back({op.x1, op.y1, op.x2, op.y2});
        }
        return out;
    }
};

std::vector<Segment> expectedLines(const Case& c, const std::string& text) {
    return plainTurtle(text, c.p0.X, c.p0.Y, zv::HeadingAngle(c.p0, c.p1), c.lineLength,
                       c.deltaDegrees / 180 * Pi);
}

std::string walked(const Case& c) {
    zv::RewriteWalk walk(c.initiator, c.generator, c.depth);
    std::string out;
    char ch = 0;
    while (walk.Next(ch)) {
        out += ch;
    }
    return out;
}

QByteArray describe(const Case& c) {
    return QByteArray("initiator \"") + c.initiator.c_str() + "\" generator \"" +
           c.generator.c_str() + "\" depth " + QByteArray::number(c.depth);
}

} // namespace

class LSystemLazyTest : public QObject {
    Q_OBJECT

private slots:
    void walkMatchesPlainRewrite_data();
    void walkMatchesPlainRewrite();
    void cancelStopsAtTheNextCharacter_data();
    void cancelStopsAtTheNextCharacter();
};

// Each row is a batch of random small L-systems from its own seed.
void LSystemLazyTest::walkMatchesPlainRewrite_data() {
    QTest::addColumn<unsigned>("seed");
    for (unsigned seed = 1; seed <= 8; ++seed) {
        QTest::addRow("seed %u", seed) << seed;
    }
}

void LSystemLazyTest::walkMatchesPlainRewrite() {
    QFETCH(unsigned, seed);
    std::mt19937 rng(seed);
    for (int i = 0; i < 150; ++i) {
        const Case c = randomCase(rng);
        const std::string text = plainRewrite(c.initiator, c.generator, c.depth);

        if (walked(c) != text) {
            QFAIL("command sequence differs for " + describe(c));
        }
        LSystemRun r(c);
        zv::DrawLSystem(r.run);
        if (r.model.ElementsDrawn != static_cast<qint64>(text.size())) {
            QFAIL("element count differs for " + describe(c));
        }
        if (r.lines() != expectedLines(c, text)) {
            QFAIL("turtle path differs for " + describe(c));
        }
    }
}

// A cancel at the k-th yield draws exactly the first k characters of the
// rewritten string, also in the middle of a deep expansion.
void LSystemLazyTest::cancelStopsAtTheNextCharacter_data() {
    QTest::addColumn<QString>("initiator");
    QTest::addColumn<QString>("generator");
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("cancelAt");

    QTest::newRow("plant, first character") << "F"
                                            << "F[+F]F[-F]F" << 3 << 1;
    QTest::newRow("plant, inside a branch") << "F"
                                            << "F[+F]F[-F]F" << 3 << 17;
    QTest::newRow("plant, deep in pass 5") << "F"
                                           << "F[+F]F[-F]F" << 5 << 1234;
    QTest::newRow("snowflake, second side") << "F--F--F"
                                            << "F+F--F+F" << 4 << 300;
    QTest::newRow("bush with moves") << "X[F]"
                                     << "FF-[-F+F+F]+[+F-F-fF]" << 4 << 2000;
}

void LSystemLazyTest::cancelStopsAtTheNextCharacter() {
    QFETCH(QString, initiator);
    QFETCH(QString, generator);
    QFETCH(int, depth);
    QFETCH(int, cancelAt);

    const Case c{
        initiator.toStdString(), generator.toStdString(), depth, 25, {10, 250}, {10, 0}, 3};
    const std::string text = plainRewrite(c.initiator, c.generator, c.depth);
    QVERIFY(static_cast<int>(text.size()) > cancelAt);

    LSystemRun r(c);
    r.host.onYield = [&](int n) {
        if (n == cancelAt) {
            r.model.GlobalState = zv::EditMode;
        }
    };
    zv::DrawLSystem(r.run);
    QCOMPARE(r.model.ElementsDrawn, cancelAt);
    QCOMPARE(r.host.yields, cancelAt);
    QVERIFY(r.lines() == expectedLines(c, text.substr(0, static_cast<std::size_t>(cancelAt))));
}

QTEST_APPLESS_MAIN(LSystemLazyTest)
#include "tst_lsystem_lazy.moc"
