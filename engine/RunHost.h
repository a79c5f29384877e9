#pragma once
// What a drawing run needs from whoever hosts it: the window, the headless
// renderer, or a test script.

#include <cstdint>
#include <string>

namespace zv {

class RunHost {
public:
    virtual ~RunHost() = default;

    // Let the host process pending events; handlers may change GlobalState.
    virtual void YieldToEvents() = 0;
    virtual void Sleep(int milliseconds) = 0;
    // ManageGlobalStates(PauseMode): the single-step pause after an element.
    virtual void EnterPauseMode() = 0;
    // Status texts "Elements drawn: N" and "Recursions: N".
    virtual void SetElementsText(const std::string& text) = 0;
    virtual void SetRecursionsText(const std::string& text) = 0;
    // The colour of the BackColor swatch: random colours avoid it.
    virtual std::int32_t BackColor() const = 0;
};

} // namespace zv
