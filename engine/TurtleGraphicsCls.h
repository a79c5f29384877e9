#pragma once
// The turtle that draws L-systems, and the heading of a fix point pair.
// Canvas pixels, origin top-left, y down. Angles are radians measured from +x
// towards +y, so a positive turn is clockwise on the screen.

#include "ParameterModel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zv {

class DrawRun;

// The program's pi, ten digits, also used to turn degrees into radians. Kept
// rather than std::numbers::pi so that saved parameters draw the same pixels.
inline constexpr double TurtlePi = 3.141592654;

// Direction from A to B in the turtle's convention; 0 when A and B coincide.
// Non-finite coordinates give a non-finite heading, never undefined behaviour.
double HeadingAngle(const FixPoint& A, const FixPoint& B);

// Walks, character by character, the string that `passes` rewriting passes
// (every "F" replaced by the generator) would make of the initiator, without
// ever building it: after 7 passes a generator of 20 "F" would need 1.3e9
// characters. A depth-first expansion with one read position per pass, so the
// walk needs constant memory and yields its first character at once.
class RewriteWalk {
public:
    static constexpr int MaxPasses = 7;

    // The walk reads both strings in place: they must outlive it unchanged.
    // Passes outside 0..MaxPasses are clamped.
    RewriteWalk(std::string_view initiator, std::string_view generator, int passes);

    // Stores in run the next stretch that is executed as it stands (no "F" in
    // it that a further pass would expand); false past the end. Most of a long
    // walk is the generator read at the deepest pass, which comes out as one run.
    bool NextRun(std::string_view& run) {
        for (;;) {
            if (!skipFinished()) {
                return false;
            }
            const std::string_view t = text();
            std::size_t& position = positions_[static_cast<std::size_t>(level_)];
            if (level_ == passes_) {
                run = t.substr(position);
                position = t.size();
                return true;
            }
            if (t[position] == 'F') {
                ++position;
                descend();
                continue;
            }
            const std::size_t f = t.find('F', position);
            const std::size_t end = f == std::string_view::npos ? t.size() : f;
            run = t.substr(position, end - position);
            position = end;
            return true;
        }
    }

private:
    std::string_view text() const { return level_ == 0 ? initiator_ : generator_; }
    // Leaves the levels read to their end; false once the initiator is.
    bool skipFinished() {
        while (positions_[static_cast<std::size_t>(level_)] == text().size()) {
            if (level_ == 0) {
                return false;
            }
            --level_;
        }
        return true;
    }
    // Goes on with the expansion of the "F" just read.
    void descend() {
        ++level_;
        positions_[static_cast<std::size_t>(level_)] = 0;
    }

    std::string_view initiator_;
    std::string_view generator_;
    int passes_;
    int level_ = 0; // 0 reads the initiator, 1..passes_ the generator
    std::array<std::size_t, MaxPasses + 1> positions_{};
};

// Draws an L-system for one run: rewrites InitiatorString Depth times (every
// "F" becomes GeneratorString) and executes the result as turtle commands, one
// element per character.
class TurtleGraphicsCls {
public:
    explicit TurtleGraphicsCls(DrawRun& run) : run_(run) {}

    std::string InitiatorString;
    std::string GeneratorString;
    double Distance = 0;    // pixels per step
    double Delta = 0;       // radians per "+" or "-"
    std::int16_t Depth = 0; // rewriting passes; Draw lowers it to 7

    void SetStartStates(double X, double Y, double Alpha);

    // Draws the rewritten string until it ends or the run is stopped. The
    // rewritten string is walked, not built: InitiatorString keeps the initiator.
    //
    // Brackets: "[" saves the turtle, "]" returns to the state saved by its
    // matching "[". A "]" with no open "[" leaves the turtle where it is (a
    // typing slip should not throw the drawing back to an unrelated branch).
    // The saved states have a 16-bit top index, so the 32768 outermost open
    // levels are kept; a "[" nested deeper saves nothing and its "]" restores
    // nothing, which bounds memory however many "[" a string opens.
    void Draw();

private:
    struct State {
        double X;
        double Y;
        double Alpha;
        double CosAlpha;
        double SinAlpha;
    };
    // cos and sin of recent headings, looked up by the heading's bits. An
    // L-system's headings are sums of +-Delta and repeat all the time, so
    // most turns find theirs here instead of computing them again. Holds
    // only values computed the ordinary way, so the drawing does not change.
    struct TurnMemo {
        std::uint64_t bits;
        double cosAlpha;
        double sinAlpha;
    };
    static constexpr std::size_t TurnMemoSize = 64;

    void Execute(char command);
    void Turn(double alpha);
    void Move(bool drawLine);

    DrawRun& run_;
    double x_ = 0;
    double y_ = 0;
    double alpha_ = 0;
    // cos and sin of alpha_, computed at each turn instead of at each step.
    double cosAlpha_ = 1;
    double sinAlpha_ = 0;
    // Every entry starts as the heading 0 with its exact cos and sin.
    std::array<TurnMemo, TurnMemoSize> turnMemo_ = [] {
        std::array<TurnMemo, TurnMemoSize> memo;
        memo.fill({0, 1.0, 0.0});
        return memo;
    }();
    std::vector<State> stack_;
    std::int16_t top_ = -1;              // index of the top saved state, -1 when none
    std::int64_t unsavedOpenLevels_ = 0; // open "[" beyond the kept levels
};

} // namespace zv
