// SPDX-License-Identifier: MIT
#include "timing/timeformat.h"
#include "timing/timingstate.h"

#include <doctest/doctest.h>

#include <ostream>
#include <string>

using timing::ClockReading;
using timing::TimeValue;
using timing::TimingState;

namespace {

// A day with a steady UTC offset; readings are seconds after 09:00:00.
constexpr TimeValue NineOClock = 45000 * timing::SecondsPerDay + 9 * 3600;

ClockReading at(TimeValue secondsAfterNine)
{
    const TimeValue t = NineOClock + secondsAfterNine;
    return {.local = t, .universal = t};
}

} // namespace

namespace timing {

// Shown when a comparison of readings fails.
std::ostream &operator<<(std::ostream &out, const ClockReading &reading)
{
    return out << "{local " << reading.local << ", universal " << reading.universal << "}";
}

} // namespace timing

TEST_CASE("ticks recompute the total from the start")
{
    TimingState state;
    state.beginRun(at(0));
    CHECK(state.tick(at(1)) == 1);
    CHECK(state.tick(at(2)) == 2);
    // A late or missed tick changes nothing but the moment the figure is seen.
    CHECK(state.tick(at(9)) == 9);
    CHECK(timing::formatTime(state.startTime().local) == std::string(" 09:00:00 "));
}

TEST_CASE("pause carries the last ticks total into the next run")
{
    TimingState state;
    state.beginRun(at(0));
    CHECK(state.tick(at(600)) == 600);
    state.pause(); // even 0.7 s after that tick, 600 s is what is carried
    CHECK(state.savedElapsed() == 600);
    CHECK(state.elapsedTime() == 0);
    state.resume(at(700));
    CHECK(state.tick(at(705)) == 605);
}

TEST_CASE("pause before any tick carries nothing new")
{
    TimingState state;
    state.beginRun(at(0));
    state.pause();
    CHECK(state.savedElapsed() == 0);
    CHECK(!state.runInProgress());
}

TEST_CASE("pausing again before a tick keeps the carried total")
{
    TimingState state;
    state.beginRun(at(0));
    state.tick(at(90));
    state.pause();
    state.resume(at(200));
    state.pause();
    CHECK(state.savedElapsed() == 90);
    state.pause(); // a stray pause with no run in progress
    CHECK(state.savedElapsed() == 90);
    state.resume(at(300));
    CHECK(state.tick(at(301)) == 91);
}

TEST_CASE("restarting a run in progress banks its time")
{
    for (const bool byResume : {false, true}) {
        INFO((byResume ? "resume while running" : "begin run again"));
        TimingState state;
        state.beginRun(at(0));
        state.tick(at(50));
        byResume ? state.resume(at(100)) : state.beginRun(at(100));
        // Banked up to the restart, not just to the last tick.
        CHECK(state.savedElapsed() == 100);
        CHECK(state.elapsedTime() == 100);
        CHECK(state.startTime() == at(100));
        CHECK(state.tick(at(110)) == 110);
    }
}

TEST_CASE("clear zeroes the totals and keeps the start")
{
    TimingState state;
    state.beginRun(at(0));
    state.tick(at(30));
    state.clear();
    CHECK(state.savedElapsed() == 0);
    CHECK(state.elapsedTime() == 0);
    CHECK(state.startTime() == at(0));
    // The cleared run is over: starting again does not bank its time.
    state.beginRun(at(100));
    CHECK(state.tick(at(101)) == 1);
}

TEST_CASE("utc offset changes do not move the total")
{
    TimingState state;
    state.beginRun(at(0));
    ClockReading springForward = at(10);
    springForward.local += 3600;
    CHECK(state.tick(springForward) == 10);
    state.pause();
    ClockReading fallBack = at(20);
    fallBack.local -= 3600;
    state.resume(fallBack);
    CHECK(state.tick(at(25)) == 15);
}

TEST_CASE("setting the clock back shows the magnitude")
{
    TimingState state;
    state.beginRun(at(0));
    CHECK(state.tick(at(-3600)) == -3600);
    CHECK(timing::formatDuration(state.elapsedTime()) == std::string(" 01:00:00 "));
}

TEST_CASE("thousands of runs add up to the second")
{
    TimingState state;
    TimeValue t = 0;
    for (int run = 0; run < 5000; ++run) {
        state.resume(at(t));
        t += 733;
        state.tick(at(t));
        state.pause();
        t += 17;
    }
    CHECK(state.savedElapsed() == 5000 * 733);
    CHECK(timing::formatDuration(state.savedElapsed()) == std::string(" 1018:03:20 "));
}
