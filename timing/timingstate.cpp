// SPDX-License-Identifier: MIT
#include "timingstate.h"

namespace timing {

void TimingState::beginRun(const ClockReading &t)
{
    startRun(t);
}

void TimingState::resume(const ClockReading &t)
{
    startRun(t);
}

void TimingState::startRun(const ClockReading &t)
{
    if (running)
        SavedElapsed += t.universal - StartTime.universal;
    StartTime = t;
    // A pause before the next tick must carry the whole total, not the zero the last pause left.
    ElapsedTime = SavedElapsed;
    running = true;
}

TimeValue TimingState::tick(const ClockReading &t)
{
    ElapsedTime = running ? SavedElapsed + (t.universal - StartTime.universal) : SavedElapsed;
    return ElapsedTime;
}

void TimingState::pause()
{
    if (!running)
        return; // the total is already banked; copying the zeroed running figure would lose it
    SavedElapsed = ElapsedTime;
    ElapsedTime = 0;
    running = false;
}

void TimingState::clear()
{
    SavedElapsed = 0;
    ElapsedTime = 0;
    running = false;
}

} // namespace timing
