// SPDX-License-Identifier: MIT
#include "timing/timeformat.h"

#include <doctest/doctest.h>

#include <string>

using timing::TimeValue;

namespace {

constexpr TimeValue hms(TimeValue hours, TimeValue minutes, TimeValue seconds)
{
    return hours * 3600 + minutes * 60 + seconds;
}

struct Row
{
    const char *name;
    TimeValue value;
    std::string text;
};

} // namespace

TEST_CASE("time of day")
{
    const TimeValue day = timing::SecondsPerDay;
    const Row rows[] = {
        {"the epoch is midnight", 0, " 00:00:00 "},
        {"afternoon", hms(14, 3, 27), " 14:03:27 "},
        {"last second of a day", hms(23, 59, 59), " 23:59:59 "},
        {"midnight of a later day", 45000 * day, " 00:00:00 "},
        {"the date is not shown", 45000 * day + hms(9, 0, 1), " 09:00:01 "},
        {"before the epoch shows the magnitude's time", -(day + day / 4), " 06:00:00 "},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        CHECK(timing::formatTime(row.value) == row.text);
    }
}

TEST_CASE("duration")
{
    const Row rows[] = {
        {"nothing yet", 0, " 00:00:00 "},
        {"one second", 1, " 00:00:01 "},
        {"minutes carry into hours", hms(0, 59, 59) + 1, " 01:00:00 "},
        {"just under a day", hms(23, 59, 59), " 23:59:59 "},
        {"a day does not wrap to zero", hms(24, 0, 0), " 24:00:00 "},
        {"25 hours", hms(25, 0, 0), " 25:00:00 "},
        {"three digits of hours", hms(100, 0, 0), " 100:00:00 "},
        {"a thousand hours and change", hms(1000, 7, 5), " 1000:07:05 "},
        {"set back an hour shows its magnitude", -hms(1, 0, 0), " 01:00:00 "},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        CHECK(timing::formatDuration(row.value) == row.text);
    }
}
