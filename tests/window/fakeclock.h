// SPDX-License-Identifier: MIT
#pragma once

#include "timing/clock.h"

#include <utility>

// A wall clock that moves only when told to, with a millisecond hand so that ticks can land
// anywhere inside a second; readings drop the fraction as the system clock's do.
class FakeClock
{
public:
    // 2024-06-03 09:00:00.000, in a zone whose offset the tests change at will.
    static constexpr timing::TimeValue Start = 45446 * timing::SecondsPerDay + 9 * 3600;

    timing::Clock source()
    {
        return [this] {
            const timing::ClockReading now = reading();
            advance(std::exchange(afterNextReading, 0));
            return now;
        };
    }

    timing::ClockReading reading() const
    {
        const timing::TimeValue whole = Start + milliseconds / 1000;
        return {.local = whole + utcOffset, .universal = whole};
    }

    void advance(long long ms) { milliseconds += ms; }
    // The clock moves on by ms just after the program's next reading, as a real one moves while a
    // handler runs.
    void advanceAfterNextReading(long long ms) { afterNextReading = ms; }
    void shiftUtcOffset(timing::TimeValue seconds) { utcOffset += seconds; }

private:
    long long milliseconds = 0;
    long long afterNextReading = 0;
    timing::TimeValue utcOffset = 0;
};
