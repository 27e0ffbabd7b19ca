// SPDX-License-Identifier: MIT
#include "window/secondtimer.h"

#include <QTest>
#include <QTimer>

using namespace std::chrono;

namespace {

system_clock::time_point at(long long secondsSinceEpoch, long long milliseconds)
{
    return system_clock::time_point{} + seconds{secondsSinceEpoch} +
           std::chrono::milliseconds{milliseconds};
}

} // namespace

class tst_SecondTimer : public QObject
{
    Q_OBJECT

private slots:
    void ticksLandJustAfterTheSecondTurns_data()
    {
        QTest::addColumn<int>("intoSecond");
        QTest::addColumn<int>("delay");
        QTest::newRow("on the turn") << 0 << 1005;
        QTest::newRow("a tick that fired on time") << 5 << 1000;
        QTest::newRow("a tick that fired late") << 40 << 965;
        QTest::newRow("half way") << 500 << 505;
        QTest::newRow("just before the turn") << 999 << 6;
    }

    void ticksLandJustAfterTheSecondTurns()
    {
        QFETCH(int, intoSecond);
        QFETCH(int, delay);
        const auto now = at(1'796'757'905, intoSecond);
        const auto wait = SecondTimer::delayUntilNextTick(now);
        QCOMPARE(wait.count(), delay);
        const auto landing = now + wait;
        QCOMPARE(duration_cast<milliseconds>(landing - floor<seconds>(landing)).count(), 5);
    }

    void earlyWakeUpsWaitForTheTurn_data()
    {
        QTest::addColumn<int>("intoSecond");
        QTest::addColumn<bool>("early");
        QTest::newRow("on time") << 5 << false;
        QTest::newRow("late") << 600 << false;
        QTest::newRow("a little early") << 990 << true;
        QTest::newRow("a tenth early") << 900 << true;
    }

    void earlyWakeUpsWaitForTheTurn()
    {
        QFETCH(int, intoSecond);
        QFETCH(bool, early);
        QCOMPARE(SecondTimer::isEarly(at(1'796'757'905, intoSecond)), early);
    }

    void disabledMeansNoWakeUps()
    {
        SecondTimer timer;
        const auto *pending = timer.findChild<QTimer *>();
        QVERIFY(pending);
        QVERIFY(!pending->isActive());
        timer.setEnabled(true);
        QVERIFY(pending->isActive());
        QCOMPARE(pending->timerType(), Qt::PreciseTimer);
        QVERIFY(pending->remainingTime() <= 1005);
        timer.setEnabled(false);
        QVERIFY(!pending->isActive());
    }
};

QTEST_GUILESS_MAIN(tst_SecondTimer)
#include "tst_secondtimer.moc"
