// SPDX-License-Identifier: MIT
#pragma once

#include "timevalue.h"

#include <string>
#include <string_view>

namespace timing {

// Every time on screen has this shape, padded with a space at each end.
inline constexpr std::string_view TimeDisplayPattern = " hh:mm:ss ";

// The time of day of a point: " 14:03:27 ". A point before the epoch shows the time of day of its
// magnitude, as day-count dates always have.
std::string formatTime(TimeValue point);

// A duration with all its hours, because a time sheet needs them: " 25:00:00 ", " 100:00:00 ".
// A negative duration (the clock was set back) shows its magnitude.
std::string formatDuration(TimeValue duration);

} // namespace timing
