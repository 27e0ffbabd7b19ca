// SPDX-License-Identifier: MIT
#include "timing/timeformat.h"
#include "timing/timingstate.h"

#include <QTest>

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

class tst_TimingState : public QObject
{
    Q_OBJECT

private slots:
    void ticksRecomputeTheTotalFromTheStart()
    {
        TimingState state;
        state.beginRun(at(0));
        QCOMPARE(state.tick(at(1)), 1);
        QCOMPARE(state.tick(at(2)), 2);
        // A late or missed tick changes nothing but the moment the figure is seen.
        QCOMPARE(state.tick(at(9)), 9);
        QCOMPARE(timing::formatTime(state.startTime().local), std::string(" 09:00:00 "));
    }

    void pauseCarriesTheLastTicksTotalIntoTheNextRun()
    {
        TimingState state;
        state.beginRun(at(0));
        QCOMPARE(state.tick(at(600)), 600);
        state.pause(); // even 0.7 s after that tick, 600 s is what is carried
        QCOMPARE(state.savedElapsed(), 600);
        QCOMPARE(state.elapsedTime(), 0);
        state.resume(at(700));
        QCOMPARE(state.tick(at(705)), 605);
    }

    void pauseBeforeAnyTickCarriesNothingNew()
    {
        TimingState state;
        state.beginRun(at(0));
        state.pause();
        QCOMPARE(state.savedElapsed(), 0);
        QVERIFY(!state.runInProgress());
    }

    void pausingAgainBeforeATickKeepsTheCarriedTotal()
    {
        TimingState state;
        state.beginRun(at(0));
        state.tick(at(90));
        state.pause();
        state.resume(at(200));
        state.pause();
        QCOMPARE(state.savedElapsed(), 90);
        state.pause(); // a stray pause with no run in progress
        QCOMPARE(state.savedElapsed(), 90);
        state.resume(at(300));
        QCOMPARE(state.tick(at(301)), 91);
    }

    void restartingARunInProgressBanksItsTime_data()
    {
        QTest::addColumn<bool>("byResume");
        QTest::newRow("begin run again") << false;
        QTest::newRow("resume while running") << true;
    }

    void restartingARunInProgressBanksItsTime()
    {
        QFETCH(bool, byResume);
        TimingState state;
        state.beginRun(at(0));
        state.tick(at(50));
        byResume ? state.resume(at(100)) : state.beginRun(at(100));
        // Banked up to the restart, not just to the last tick.
        QCOMPARE(state.savedElapsed(), 100);
        QCOMPARE(state.elapsedTime(), 100);
        QCOMPARE(state.startTime(), at(100));
        QCOMPARE(state.tick(at(110)), 110);
    }

    void clearZeroesTheTotalsAndKeepsTheStart()
    {
        TimingState state;
        state.beginRun(at(0));
        state.tick(at(30));
        state.clear();
        QCOMPARE(state.savedElapsed(), 0);
        QCOMPARE(state.elapsedTime(), 0);
        QCOMPARE(state.startTime(), at(0));
        // The cleared run is over: starting again does not bank its time.
        state.beginRun(at(100));
        QCOMPARE(state.tick(at(101)), 1);
    }

    void utcOffsetChangesDoNotMoveTheTotal()
    {
        TimingState state;
        state.beginRun(at(0));
        ClockReading springForward = at(10);
        springForward.local += 3600;
        QCOMPARE(state.tick(springForward), 10);
        state.pause();
        ClockReading fallBack = at(20);
        fallBack.local -= 3600;
        state.resume(fallBack);
        QCOMPARE(state.tick(at(25)), 15);
    }

    void settingTheClockBackShowsTheMagnitude()
    {
        TimingState state;
        state.beginRun(at(0));
        QCOMPARE(state.tick(at(-3600)), -3600);
        QCOMPARE(timing::formatDuration(state.elapsedTime()), std::string(" 01:00:00 "));
    }

    void thousandsOfRunsAddUpToTheSecond()
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
        QCOMPARE(state.savedElapsed(), 5000 * 733);
        QCOMPARE(timing::formatDuration(state.savedElapsed()), std::string(" 1018:03:20 "));
    }
};

QTEST_APPLESS_MAIN(tst_TimingState)
#include "tst_timingstate.moc"
