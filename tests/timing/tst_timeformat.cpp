// SPDX-License-Identifier: MIT
#include "timing/timeformat.h"

#include <QTest>

using timing::TimeValue;

namespace {

constexpr TimeValue hms(TimeValue hours, TimeValue minutes, TimeValue seconds)
{
    return hours * 3600 + minutes * 60 + seconds;
}

} // namespace

class tst_TimeFormat : public QObject
{
    Q_OBJECT

private slots:
    void timeOfDay_data();
    void timeOfDay();
    void duration_data();
    void duration();
};

void tst_TimeFormat::timeOfDay_data()
{
    QTest::addColumn<TimeValue>("point");
    QTest::addColumn<QString>("text");

    const TimeValue day = timing::SecondsPerDay;
    QTest::newRow("the epoch is midnight") << TimeValue(0) << " 00:00:00 ";
    QTest::newRow("afternoon") << hms(14, 3, 27) << " 14:03:27 ";
    QTest::newRow("last second of a day") << hms(23, 59, 59) << " 23:59:59 ";
    QTest::newRow("midnight of a later day") << 45000 * day << " 00:00:00 ";
    QTest::newRow("the date is not shown") << 45000 * day + hms(9, 0, 1) << " 09:00:01 ";
    QTest::newRow("before the epoch shows the magnitude's time")
        << -(day + day / 4) << " 06:00:00 ";
}

void tst_TimeFormat::timeOfDay()
{
    QFETCH(TimeValue, point);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(timing::formatTime(point)), text);
}

void tst_TimeFormat::duration_data()
{
    QTest::addColumn<TimeValue>("duration");
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing yet") << TimeValue(0) << " 00:00:00 ";
    QTest::newRow("one second") << TimeValue(1) << " 00:00:01 ";
    QTest::newRow("minutes carry into hours") << hms(0, 59, 59) + 1 << " 01:00:00 ";
    QTest::newRow("just under a day") << hms(23, 59, 59) << " 23:59:59 ";
    QTest::newRow("a day does not wrap to zero") << hms(24, 0, 0) << " 24:00:00 ";
    QTest::newRow("25 hours") << hms(25, 0, 0) << " 25:00:00 ";
    QTest::newRow("three digits of hours") << hms(100, 0, 0) << " 100:00:00 ";
    QTest::newRow("a thousand hours and change") << hms(1000, 7, 5) << " 1000:07:05 ";
    QTest::newRow("set back an hour shows its magnitude") << -hms(1, 0, 0) << " 01:00:00 ";
}

void tst_TimeFormat::duration()
{
    QFETCH(TimeValue, duration);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(timing::formatDuration(duration)), text);
}

QTEST_APPLESS_MAIN(tst_TimeFormat)
#include "tst_timeformat.moc"
