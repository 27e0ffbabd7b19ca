// SPDX-License-Identifier: MIT
#include "timing/clock.h"
#include "timing/timeformat.h"

#include <QTest>

#include <ctime>

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

// A POSIX zone rule needs no time-zone database on the machine.
void useTimeZone(const char *rule)
{
    qputenv("TZ", rule);
    tzset();
}

} // namespace

class tst_Clock : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { useTimeZone("UTC0"); }

    void readingsAreWholeSecondsFromTheEpoch()
    {
        useTimeZone("UTC0");
        const auto reading = timing::clockReadingAt(system_clock::time_point{} + milliseconds{999});
        QCOMPARE(reading.universal, UnixEpoch);
        QCOMPARE(reading.local, UnixEpoch);
    }

    void localTimeFollowsTheZone()
    {
        useTimeZone("EST5");
        const auto reading = timing::clockReadingAt(utc(2024, 1, 15, 14, 3, 27));
        QCOMPARE(timing::formatTime(reading.local), std::string(" 09:03:27 "));
        QCOMPARE(reading.universal - reading.local, 5 * 3600);
    }

    void daylightSavingMovesOnlyTheLocalTime()
    {
#ifdef _WIN32
        QSKIP("The Windows C runtime takes only offsets from TZ, with US dates for daylight "
              "saving; localTimeFollowsTheSystemZone checks daylight saving on Windows");
#endif
        useTimeZone("CET-1CEST,M3.5.0,M10.5.0/3");
        const auto before = timing::clockReadingAt(utc(2024, 3, 31, 0, 59, 59));
        const auto after = timing::clockReadingAt(utc(2024, 3, 31, 1, 0, 0));
        QCOMPARE(timing::formatTime(before.local), std::string(" 01:59:59 "));
        QCOMPARE(timing::formatTime(after.local), std::string(" 03:00:00 "));
        QCOMPARE(after.universal - before.universal, 1);
    }

    void aZoneChangedWhileRunningIsFollowed()
    {
        useTimeZone("GMT0BST,M3.5.0/1,M10.5.0");
        const auto london = timing::clockReadingAt(utc(2024, 7, 1, 12, 0, 0));
        // As when the desktop moves the system to another zone: nobody calls tzset() for us.
        qputenv("TZ", "JST-9");
        const auto tokyo = timing::clockReadingAt(utc(2024, 7, 1, 12, 0, 1));
        QCOMPARE(timing::formatTime(london.local), std::string(" 13:00:00 "));
        QCOMPARE(timing::formatTime(tokyo.local), std::string(" 21:00:01 "));
        QCOMPARE(tokyo.universal - london.universal, 1);
    }

#ifdef _WIN32
    // A Windows user's TZ is normally unset, and the C runtime then follows the system's zone.
    void localTimeFollowsTheSystemZone_data()
    {
        QTest::addColumn<unsigned>("month");
        QTest::newRow("winter") << 1u;
        QTest::newRow("summer") << 7u;
    }

    void localTimeFollowsTheSystemZone()
    {
        QFETCH(unsigned, month);
        qunsetenv("TZ");
        SYSTEMTIME universal{2024, static_cast<WORD>(month), 0, 15, 12, 34, 56, 0};
        SYSTEMTIME local{};
        QVERIFY(SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local));
        const auto expected =
            QString::asprintf(" %02d:%02d:%02d ", local.wHour, local.wMinute, local.wSecond);

        const auto reading = timing::clockReadingAt(utc(2024, month, 15, 12, 34, 56));
        QCOMPARE(QString::fromStdString(timing::formatTime(reading.local)), expected);
    }
#endif

    void systemClockReadsNow()
    {
        useTimeZone("UTC0");
        const auto expected = duration_cast<seconds>(system_clock::now().time_since_epoch());
        const auto reading = timing::systemClockReading();
        QVERIFY(qAbs(reading.universal - UnixEpoch - expected.count()) <= 1);
    }
};

QTEST_APPLESS_MAIN(tst_Clock)
#include "tst_clock.moc"
