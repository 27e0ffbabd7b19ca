// SPDX-License-Identifier: MIT
#include "clock.h"

#include <ctime>

namespace timing {

namespace {

using std::chrono::days;
using std::chrono::seconds;
using std::chrono::sys_days;

// 1899-12-30, the epoch of TimeValue points, counted from the system clock's 1970-01-01.
constexpr TimeValue EpochOffset =
    -sys_days{std::chrono::year{1899} / 12 / 30}.time_since_epoch().count() * SecondsPerDay;

// The zone is looked up afresh each time, since the user may change it while the stopwatch runs
// (travelling, or the desktop setting it automatically); the reentrant conversions do not look.
std::tm localCalendar(std::time_t time)
{
    std::tm calendar{};
#ifdef _WIN32
    _tzset();
    localtime_s(&calendar, &time);
#else
    tzset();
    localtime_r(&time, &calendar);
#endif
    return calendar;
}

TimeValue wallSeconds(const std::tm &calendar)
{
    const auto day = std::chrono::year{calendar.tm_year + 1900} /
                     std::chrono::month{static_cast<unsigned>(calendar.tm_mon + 1)} /
                     std::chrono::day{static_cast<unsigned>(calendar.tm_mday)};
    return sys_days{day}.time_since_epoch().count() * SecondsPerDay + calendar.tm_hour * 3600 +
           calendar.tm_min * 60 + calendar.tm_sec;
}

} // namespace

ClockReading clockReadingAt(std::chrono::system_clock::time_point instant)
{
    const auto whole = std::chrono::floor<seconds>(instant);
    const std::time_t time = std::chrono::system_clock::to_time_t(whole);
    return {.local = EpochOffset + wallSeconds(localCalendar(time)),
            .universal = EpochOffset + whole.time_since_epoch().count()};
}

ClockReading systemClockReading()
{
    return clockReadingAt(std::chrono::system_clock::now());
}

} // namespace timing
