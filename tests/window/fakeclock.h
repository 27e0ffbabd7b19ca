// SPDX-License-Identifier: MIT
#pragma once

#include "timing/clock.h"

// A wall clock that moves only when told to, with a millisecond hand so that ticks can land
// anywhere inside a second; readings drop the fraction as the system clock's do.
class FakeClock
{
public:
    // 2024-06-03 09:00:00.000, in a zone whose offset the tests change at will.
    static constexpr timing::TimeValue Start = 45446 * timing::SecondsPerDay + 9 * 3600;

    timing::Clock source()
    {
        return [this] { return reading(); };
    }

    timing::ClockReading reading() const
    {
        const timing::TimeValue whole = Start + milliseconds / 1000;
        return {.local = whole + utcOffset, .universal = whole};
    }

    void advance(long long ms) { milliseconds += ms; }
    void shiftUtcOffset(timing::TimeValue seconds) { utcOffset += seconds; }

private:
    long long milliseconds = 0;
    timing::TimeValue utcOffset = 0;
};
