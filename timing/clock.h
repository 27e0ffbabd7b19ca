// SPDX-License-Identifier: MIT
#pragma once

#include "timevalue.h"

#include <chrono>
#include <functional>

namespace timing {

// Where readings come from; tests pass their own.
using Clock = std::function<ClockReading()>;

// The reading for a given instant, to the whole second (the fraction is dropped), with the local
// wall time the operating system gives for it.
ClockReading clockReadingAt(std::chrono::system_clock::time_point instant);

// The system clock now.
ClockReading systemClockReading();

} // namespace timing
