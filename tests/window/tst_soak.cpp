// SPDX-License-Identifier: MIT
// A month of use in one go: every second of it ticked, with pauses, resumes and restarts.
#include "fakeclock.h"
#include "window/frmstopwatch.h"
#include "window/secondtimer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class tst_Soak : public QObject
{
    Q_OBJECT

private slots:
    void aMonthOfTicksIsExactToTheSecond()
    {
        FakeClock clock;
        frmStopWatch window(clock.source());
        auto *timer = window.findChild<SecondTimer *>(QStringLiteral("Timer1"));
        auto *stop = window.findChild<QPushButton *>(QStringLiteral("CmdStop"));
        auto *name = window.findChild<QLineEdit *>(QStringLiteral("txtName"));
        const auto *total = window.findChild<QLabel *>(QStringLiteral("txtElapsed"));

        const auto run = [&](int seconds) {
            for (int second = 0; second < seconds; ++second) {
                clock.advance(1000);
                emit timer->timeout();
            }
        };
        const auto idle = [&](int seconds) { clock.advance(seconds * 1000LL); };

        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("CmdStart")),
                          Qt::LeftButton);
        for (int day = 0; day < 30; ++day) {
            // A working day of two stretches around lunch, a restart under a new name in the
            // afternoon, and the night paused.
            run(4 * 3600);
            QTest::mouseClick(stop, Qt::LeftButton);
            idle(3600);
            QTest::mouseClick(stop, Qt::LeftButton);
            run(2 * 3600);
            name->setText(QStringLiteral("Day %1").arg(day + 1));
            QTest::keyClick(name, Qt::Key_Return);
            run(2 * 3600 + 17);
            QTest::mouseClick(stop, Qt::LeftButton);
            idle(15 * 3600 - 17);
            QTest::mouseClick(stop, Qt::LeftButton);
        }
        // 30 days of 8 hours and 17 seconds.
        QCOMPARE(total->text(), QStringLiteral(" 240:08:30 "));
        QCOMPARE(window.windowTitle().left(6), QStringLiteral("Day 30"));
    }
};

QTEST_MAIN(tst_Soak)
#include "tst_soak.moc"
