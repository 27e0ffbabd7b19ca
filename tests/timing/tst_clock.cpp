// SPDX-License-Identifier: MIT
#include "timing/clock.h"
#include "timing/timeformat.h"

#include <doctest/doctest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace std::chrono;
using timing::SecondsPerDay;

namespace {

// 1970-01-01 counted from 1899-12-30.
constexpr timing::TimeValue UnixEpoch = 25569 * SecondsPerDay;

system_clock::time_point utc(int y, unsigned m, unsigned d, int hh, int mm, int ss)
{
    return sys_days{year{y} / month{m} / day{d}} + hours{hh} + minutes{mm} + seconds{ss};
}

// As the desktop does when it moves the system to another zone: nobody calls tzset() for us.
void changeZone(const char *rule)
{
#ifdef _WIN32
    _putenv_s("TZ", rule ? rule : "");
#else
    rule ? setenv("TZ", rule, 1) : unsetenv("TZ");
#endif
}

// A POSIX zone rule needs no time-zone database on the machine.
void useTimeZone(const char *rule)
{
    changeZone(rule);
#ifdef _WIN32
    _tzset();
#else
    tzset();
#endif
}

#ifdef _WIN32
constexpr bool OnWindows = true;
#else
constexpr bool OnWindows = false;
#endif

// Each case sets the zone it needs; none leaves one behind for the next.
struct UtcAfterwards
{
    ~UtcAfterwards() { useTimeZone("UTC0"); }
};

} // namespace

TEST_CASE_FIXTURE(UtcAfterwards, "readings are whole seconds from the epoch")
{
    useTimeZone("UTC0");
    const auto reading = timing::clockReadingAt(system_clock::time_point{} + milliseconds{999});
    CHECK(reading.universal == UnixEpoch);
    CHECK(reading.local == UnixEpoch);
}

TEST_CASE_FIXTURE(UtcAfterwards, "local time follows the zone")
{
    useTimeZone("EST5");
    const auto reading = timing::clockReadingAt(utc(2024, 1, 15, 14, 3, 27));
    CHECK(timing::formatTime(reading.local) == " 09:03:27 ");
    CHECK(reading.universal - reading.local == 5 * 3600);
}

// The Windows C runtime takes only offsets from TZ, with US dates for daylight saving; "local time
// follows the system zone" checks daylight saving on Windows.
TEST_CASE_FIXTURE(UtcAfterwards,
                  "daylight saving moves only the local time" * doctest::skip(OnWindows))
{
    useTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
    const auto before = timing::clockReadingAt(utc(2024, 3, 31, 0, 59, 59));
    const auto after = timing::clockReadingAt(utc(2024, 3, 31, 1, 0, 0));
    CHECK(timing::formatTime(before.local) == " 01:59:59 ");
    CHECK(timing::formatTime(after.local) == " 03:00:00 ");
    CHECK(after.universal - before.universal == 1);
}

TEST_CASE_FIXTURE(UtcAfterwards, "a zone changed while running is followed")
{
    useTimeZone("GMT0BST,M3.5.0/1,M10.5.0");
    const auto london = timing::clockReadingAt(utc(2024, 7, 1, 12, 0, 0));
    changeZone("JST-9");
    const auto tokyo = timing::clockReadingAt(utc(2024, 7, 1, 12, 0, 1));
    CHECK(timing::formatTime(london.local) == " 13:00:00 ");
    CHECK(timing::formatTime(tokyo.local) == " 21:00:01 ");
    CHECK(tokyo.universal - london.universal == 1);
}

#ifdef _WIN32
// A Windows user's TZ is normally unset, and the C runtime then follows the system's zone.
TEST_CASE_FIXTURE(UtcAfterwards, "local time follows the system zone")
{
    for (const unsigned month : {1u, 7u}) {
        INFO((month == 1 ? "winter" : "summer"));
        changeZone(nullptr);
        SYSTEMTIME universal{2024, static_cast<WORD>(month), 0, 15, 12, 34, 56, 0};
        SYSTEMTIME local{};
        REQUIRE(SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local));
        char expected[16];
        std::snprintf(expected, sizeof expected, " %02d:%02d:%02d ", local.wHour, local.wMinute,
                      local.wSecond);

        const auto reading = timing::clockReadingAt(utc(2024, month, 15, 12, 34, 56));
        CHECK(timing::formatTime(reading.local) == std::string(expected));
    }
}
#endif

TEST_CASE_FIXTURE(UtcAfterwards, "the system clock reads now")
{
    useTimeZone("UTC0");
    const auto expected = duration_cast<seconds>(system_clock::now().time_since_epoch());
    const auto reading = timing::systemClockReading();
    CHECK(std::abs(reading.universal - UnixEpoch - expected.count()) <= 1);
}
