#pragma once
// What a drawing run needs from whoever hosts it: the window, the headless
// renderer, or a test script.

#include <cstdint>
#include <string_view>

namespace zv {

class RunHost {
public:
    virtual ~RunHost() = default;

    // Let the host process pending events; handlers may change GlobalState.
    virtual void YieldToEvents() = 0;
    // False for a host whose YieldToEvents does nothing (the renderer): a run
    // then leaves the call out, which was most of an element's cost in a long
    // walk. Asked once, when the run begins.
    virtual bool YieldsToEvents() const { return true; }
    virtual void Sleep(int milliseconds) = 0;
    // The nap of a paused run: like Sleep, but a host that handles events
    // while it sleeps may end it as soon as GlobalState leaves PauseMode, so a
    // resume or a cancel does not wait for the rest of it.
    virtual void PauseNap(int milliseconds) { Sleep(milliseconds); }
    // ManageGlobalStates(PauseMode): the single-step pause after an element.
    virtual void EnterPauseMode() = 0;
    // Status texts "Elements drawn: N" and "Recursions: N".
    // The text lives only for the call.
    virtual void SetElementsText(std::string_view text) = 0;
    virtual void SetRecursionsText(std::string_view text) = 0;
    // The colour of the BackColor swatch: random colours avoid it.
    virtual std::int32_t BackColor() const = 0;

    // Element marks let a host see the figure at chosen element counts (the
    // frames of an animation, the figure after its first M elements). The run
    // asks once when it begins, on the cleared canvas with no element drawn
    // (elementsDrawn 0), and again each time ElementsDrawn reaches the mark
    // last returned: right after that element is drawn and counted, before
    // anything more is drawn. The answer is the next mark, above
    // elementsDrawn, or NoElementMark. An element that counts two (a Koch
    // bump's two lines) may step over a mark; the host then hears the count
    // past it. A host stops the run at a mark by switching GlobalState to
    // EditMode; stopped at the start, the run draws nothing.
    static constexpr std::int64_t NoElementMark = INT64_MAX;
    virtual std::int64_t NextElementMark(std::int64_t /*elementsDrawn*/) { return NoElementMark; }
};

// A host that draws as fast as it can and shows nothing while it draws: no
// sleeps, no pauses, no status texts (the renderer, an off-screen build-up).
class UnpacedRunHost : public RunHost {
public:
    void Sleep(int) override {}
    void EnterPauseMode() override {}
    void SetElementsText(std::string_view) override {}
    void SetRecursionsText(std::string_view) override {}
};

} // namespace zv
