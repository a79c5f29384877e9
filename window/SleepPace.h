#pragma once
// The pace of a run's sleeps. Every sleep wakes late by a little, and on a busy
// machine by a few milliseconds, which over hundreds of sleeps slowed a run well
// below its designed pace. So a sleep is shortened by how late the previous one
// ended (at most a whole sleep), and the run's time keeps to the sum of its
// sleeps. That lateness is dropped once the run did longer work between two
// sleeps than a sleep lasts, or paused: the pace then starts afresh.
//
// Time points are passed in, so the rule holds without a clock of its own.

#include <algorithm>
#include <chrono>

namespace zv {

class SleepPace {
public:
    using Clock = std::chrono::steady_clock;

    // When a sleep of this length that begins at start should end.
    Clock::time_point deadline(Clock::time_point start, Clock::duration length) {
        if (start - lastEnd_ > length) {
            lateness_ = {};
        }
        return start + length - lateness_;
    }
    // The sleep of this length that should have ended at deadline ended at end.
    void ended(Clock::time_point deadline, Clock::time_point end, Clock::duration length) {
        lastEnd_ = end;
        lateness_ = std::clamp<Clock::duration>(end - deadline, {}, length);
    }
    // A pause or a single step: the next sleep keeps its whole length.
    void restart() { lateness_ = {}; }

private:
    Clock::time_point lastEnd_{};
    Clock::duration lateness_{};
};

} // namespace zv
