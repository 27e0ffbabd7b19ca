// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace timing {

// A point in time or a duration, in whole seconds. Points count from 1899-12-30 00:00:00, the
// epoch of the day-count dates the displays were first designed around, so a point's time of day
// is its remainder modulo one day. Integers keep every sum exact: a total of thousands of hours
// over thousands of runs still lands on the right second.
using TimeValue = std::int64_t;

inline constexpr TimeValue SecondsPerDay = 86400;

// One reading of the clock. The local value is what the user's wall clock says and is only ever
// displayed; the universal value is the same instant on a scale that daylight saving and time-zone
// changes do not move, and all arithmetic uses it.
struct ClockReading
{
    TimeValue local = 0;
    TimeValue universal = 0;

    friend bool operator==(const ClockReading &, const ClockReading &) = default;
};

} // namespace timing
