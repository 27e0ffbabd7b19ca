// SPDX-License-Identifier: MIT
#pragma once

#include "timevalue.h"

namespace timing {

// The running total of a stopwatch that survives pauses. Totals are recomputed from clock readings
// at every tick rather than counted, so a late tick only delays the display of a running total. A
// pause keeps the last tick's total, so a tick that comes late just before it leaves the paused
// total lower.
class TimingState
{
public:
    // Starts a run at t. A run already in progress is first banked up to t, so restarting never
    // loses time; the total then stands at the banked sum until the next tick.
    void beginRun(const ClockReading &t);
    void resume(const ClockReading &t);

    // Recomputes the total at t and returns it.
    TimeValue tick(const ClockReading &t);

    // Ends the run, carrying the total as of the last tick: a pause does not read the clock.
    void pause();

    // Zeroes the totals and ends any run. The start time stays as it was.
    void clear();

    const ClockReading &startTime() const { return StartTime; }
    TimeValue savedElapsed() const { return SavedElapsed; }
    TimeValue elapsedTime() const { return ElapsedTime; }
    bool runInProgress() const { return running; }

private:
    void startRun(const ClockReading &t);

    ClockReading StartTime;
    TimeValue SavedElapsed = 0; // carried over from runs that have ended
    TimeValue ElapsedTime = 0;  // total as of the latest tick
    bool running = false;
};

} // namespace timing
