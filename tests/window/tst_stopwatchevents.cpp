// SPDX-License-Identifier: MIT
// The stopwatch driven through real key presses, mouse clicks and focus changes, with a clock that
// moves only when the test says so.
#include "fakeclock.h"
#include "findcontrol.h"
#include "window/frmstopwatch.h"
#include "window/secondtimer.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

const QString TitleSuffix = QStringLiteral("            Zembo's QVR Stopwatch ");

} // namespace

class tst_StopwatchEvents : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { window.reset(); }

    void typicalUse();
    void noSequenceLosesTimedWork_data();
    void noSequenceLosesTimedWork();
    void stopBeforeAnyStartThenContinue();
    void daylightSavingDoesNotMoveTheTotal();
    void keysRunTheirHandlerOnce_data();
    void keysRunTheirHandlerOnce();
    void enterOnQuitDoesNothing();
    void nameIsSelectedWheneverItGainsFocus_data();
    void nameIsSelectedWheneverItGainsFocus();
    void namesReachTheTitleExactly_data();
    void namesReachTheTitleExactly();
    void quitEndsTheProgram(); // last: nothing runs after the program ends

private:
    template <typename T = QWidget> T *control(const char *name) const
    {
        return findControl<T>(*window, name);
    }
    QString shown(const char *label) const { return control<QLabel>(label)->text(); }
    QString caption() const { return control<QPushButton>("CmdStop")->text(); }
    bool timerOn() const { return control<SecondTimer>("Timer1")->isEnabled(); }

    void tick(long long afterMs)
    {
        clock.advance(afterMs);
        emit control<SecondTimer>("Timer1")->timeout();
    }
    void click(const char *name) { QTest::mouseClick(control(name), Qt::LeftButton); }
    void enter(const char *name) { QTest::keyClick(control(name), Qt::Key_Return); }

    // Whether the program has been told to end: once it has, every event loop refuses to run.
    static bool programEnding()
    {
        QEventLoop probe;
        QTimer::singleShot(0, &probe, [&probe] { probe.exit(0); });
        return probe.exec() == -1;
    }

    FakeClock clock;
    std::unique_ptr<frmStopWatch> window;
};

void tst_StopwatchEvents::init()
{
    clock = FakeClock();
    window = std::make_unique<frmStopWatch>(clock.source());
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void tst_StopwatchEvents::typicalUse()
{
    QVERIFY(!timerOn());
    QTest::keyClicks(control("txtName"), QStringLiteral("Acme"));
    enter("txtName");
    QCOMPARE(window->windowTitle(), QStringLiteral("Acme") + TitleSuffix);
    QCOMPARE(control<QLineEdit>("txtName")->text(), QStringLiteral("Acme"));
    QCOMPARE(shown("txtStart"), QStringLiteral(" 09:00:00 "));
    QCOMPARE(QApplication::focusWidget(), control("CmdStop"));
    QVERIFY(!control("CmdStart")->isEnabled());
    QVERIFY(timerOn());

    tick(1000);
    QCOMPARE(shown("txtStop"), QStringLiteral(" 09:00:01 "));
    QCOMPARE(shown("txtElapsed"), QStringLiteral(" 00:00:01 "));

    clock.advance(400);
    click("CmdStop");
    QCOMPARE(caption(), QStringLiteral("Continue"));
    QVERIFY(!timerOn());
    clock.advance(60'000);
    QCOMPARE(shown("txtStop"), QStringLiteral(" 09:00:01 "));

    enter("CmdStop");
    QCOMPARE(caption(), QStringLiteral("Stop Timer"));
    QVERIFY(timerOn());
    tick(1000);
    QCOMPARE(shown("txtStart"), QStringLiteral(" 09:00:00 "));
    QCOMPARE(shown("txtStop"), QStringLiteral(" 09:01:02 "));
    QCOMPARE(shown("txtElapsed"), QStringLiteral(" 00:00:02 "));

    click("cmdClear");
    QVERIFY(!timerOn());
    QCOMPARE(shown("txtStop"), QString());
    QCOMPARE(shown("txtElapsed"), QString());
    QCOMPARE(shown("txtStart"), QStringLiteral(" 09:00:00 "));
    QCOMPARE(window->windowTitle(), QStringLiteral("Acme") + TitleSuffix);
    QCOMPARE(QApplication::focusWidget(), control("CmdQuit"));
    QVERIFY(control("CmdStart")->isEnabled());
}

// clang-format off
void tst_StopwatchEvents::noSequenceLosesTimedWork_data()
{
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("total");
    // Each step: s = Start, x = Stop or Continue, c = Clear, n = Enter in the name box,
    // digits = seconds pass, t = a tick, l = a tick 999 ms late, during which the second turns.
    QTest::newRow("stop, continue, stop before a tick") << "s 10 t x 5 x 1 x 5 x 3 t"
                                                        << " 09:00:24 " << " 00:00:13 ";
    QTest::newRow("enter in the name box while timing") << "s 10 t 5 n 1 t"
                                                        << " 09:00:16 " << " 00:00:16 ";
    QTest::newRow("clear while paused, start, then continue") << "s 10 t x c 10 s 20 x 1 t"
                                                              << " 09:00:41 " << " 00:00:21 ";
    QTest::newRow("only clear forgets") << "s 10 t c s 3 t" << " 09:00:13 " << " 00:00:03 ";
    QTest::newRow("a pause drops only what followed the last tick") << "s 10 t 1 x 5 x 2 t"
                                                                    << " 09:00:18 " << " 00:00:12 ";
    QTest::newRow("a late tick shows the time its total is for") << "s 10 l"
                                                                 << " 09:00:10 " << " 00:00:10 ";
}
// clang-format on

void tst_StopwatchEvents::noSequenceLosesTimedWork()
{
    QFETCH(QString, sequence);
    QFETCH(QString, ending);
    QFETCH(QString, total);
    const QStringList steps = sequence.split(QLatin1Char(' '));
    for (const QString &step : steps) {
        if (step == QLatin1String("s"))
            click("CmdStart");
        else if (step == QLatin1String("x"))
            click("CmdStop");
        else if (step == QLatin1String("c"))
            click("cmdClear");
        else if (step == QLatin1String("n"))
            enter("txtName");
        else if (step == QLatin1String("t"))
            tick(0);
        else if (step == QLatin1String("l")) {
            clock.advance(999);
            clock.advanceAfterNextReading(1);
            tick(0);
        } else {
            clock.advance(step.toLongLong() * 1000);
        }
    }
    QCOMPARE(shown("txtStop"), ending);
    QCOMPARE(shown("txtElapsed"), total);
}

void tst_StopwatchEvents::stopBeforeAnyStartThenContinue()
{
    click("CmdStop");
    QVERIFY(!timerOn());
    QCOMPARE(caption(), QStringLiteral("Continue"));
    QVERIFY(control("CmdStart")->isEnabled());

    click("CmdStop");
    QVERIFY(timerOn());
    tick(1000);
    QCOMPARE(shown("txtStart"), QString());
    QCOMPARE(shown("txtStop"), QStringLiteral(" 09:00:01 "));
    QCOMPARE(shown("txtElapsed"), QStringLiteral(" 00:00:01 "));
}

void tst_StopwatchEvents::daylightSavingDoesNotMoveTheTotal()
{
    click("CmdStart");
    tick(1000);
    clock.shiftUtcOffset(3600);
    tick(1000);
    QCOMPARE(shown("txtStop"), QStringLiteral(" 10:00:02 "));
    QCOMPARE(shown("txtElapsed"), QStringLiteral(" 00:00:02 "));
    click("CmdStop");
    clock.shiftUtcOffset(-3600);
    click("CmdStop");
    tick(1000);
    QCOMPARE(shown("txtStop"), QStringLiteral(" 09:00:03 "));
    QCOMPARE(shown("txtElapsed"), QStringLiteral(" 00:00:03 "));
}

// clang-format off
void tst_StopwatchEvents::keysRunTheirHandlerOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expectedCaption");
    QTest::addColumn<bool>("expectedTimer");
    // Stop toggles, so a press that ran it twice would leave it where it began.
    QTest::newRow("return on stop") << "CmdStop" << int(Qt::Key_Return) << "Continue" << false;
    QTest::newRow("keypad enter on stop") << "CmdStop" << int(Qt::Key_Enter) << "Continue" << false;
    QTest::newRow("space still presses stop")
        << "CmdStop" << int(Qt::Key_Space) << "Continue" << false;
    QTest::newRow("return on start") << "CmdStart" << int(Qt::Key_Return) << "Stop Timer" << true;
    QTest::newRow("return on clear") << "cmdClear" << int(Qt::Key_Return) << "Stop Timer" << false;
    QTest::newRow("return in the name box")
        << "txtName" << int(Qt::Key_Return) << "Stop Timer" << true;
    QTest::newRow("other keys do nothing") << "CmdStop" << int(Qt::Key_A) << "Stop Timer" << true;
}
// clang-format on

void tst_StopwatchEvents::keysRunTheirHandlerOnce()
{
    QFETCH(QString, name);
    QFETCH(int, key);
    QFETCH(QString, expectedCaption);
    QFETCH(bool, expectedTimer);

    if (name != QLatin1String("CmdStart"))
        click("CmdStart");
    QWidget *target = control(qPrintable(name));
    target->setFocus(Qt::TabFocusReason);
    const Qt::KeyboardModifiers modifiers =
        key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(target, Qt::Key(key), modifiers);

    QCOMPARE(caption(), expectedCaption);
    QCOMPARE(timerOn(), expectedTimer);
    QCOMPARE(control<QLineEdit>("txtName")->text(), QStringLiteral("Company Name"));
}

void tst_StopwatchEvents::enterOnQuitDoesNothing()
{
    click("CmdStart");
    QWidget *quit = control("CmdQuit");
    quit->setFocus(Qt::TabFocusReason);
    QTest::keyClick(quit, Qt::Key_Return);
    QVERIFY(!programEnding());
    QVERIFY(timerOn());
}

void tst_StopwatchEvents::quitEndsTheProgram()
{
    QVERIFY(!programEnding());
    click("CmdQuit");
    QVERIFY(programEnding());
}

// clang-format off
void tst_StopwatchEvents::nameIsSelectedWheneverItGainsFocus_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("how");
    QTest::newRow("tab from quit") << "CmdQuit" << "tab";
    QTest::newRow("shift+tab from start") << "CmdStart" << "backtab";
    QTest::newRow("mouse click") << "CmdQuit" << "click";
}
// clang-format on

void tst_StopwatchEvents::nameIsSelectedWheneverItGainsFocus()
{
    QFETCH(QString, from);
    QFETCH(QString, how);
    auto *name = control<QLineEdit>("txtName");
    name->setText(QStringLiteral("Acme Ltd"));
    name->setCursorPosition(2);
    control(qPrintable(from))->setFocus(Qt::OtherFocusReason);
    QVERIFY(!name->hasFocus());

    if (how == QLatin1String("tab"))
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    else if (how == QLatin1String("backtab"))
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    else
        QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(20, name->height() / 2));

    QVERIFY(name->hasFocus());
    QCOMPARE(name->selectedText(), QStringLiteral("Acme Ltd"));
    // Once the box has the focus, a click places the cursor as usual.
    QTest::mouseClick(name, Qt::LeftButton, {}, QPoint(20, name->height() / 2));
    QVERIFY(!name->hasSelectedText());
}

// clang-format off
void tst_StopwatchEvents::namesReachTheTitleExactly_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("spaces kept") << QStringLiteral("  Acme  ");
    QTest::newRow("as long as the box allows") << QString(32767, QLatin1Char('Q'));
    QTest::newRow("right to left") << QStringLiteral("שעון עבודה");
    QTest::newRow("emoji") << QStringLiteral("⏱️ 👩🏽‍💻 Zeit");
    QTest::newRow("combining marks") << QStringLiteral("Cafe\u0301 Zo\u0308e");
    QTest::newRow("title placeholder") << QStringLiteral("[*] draft");
}
// clang-format on

void tst_StopwatchEvents::namesReachTheTitleExactly()
{
    QFETCH(QString, name);
    auto *box = control<QLineEdit>("txtName");
    QCOMPARE(box->maxLength(), 32767);
    // Typed over the selected text as a user would: pasted, or deleted when empty.
    if (name.isEmpty()) {
        QTest::keyClick(box, Qt::Key_Backspace);
    } else {
        QGuiApplication::clipboard()->setText(name);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(box->text(), name);
    enter("txtName");
    // What the window system shows, after Qt's own reading of the title.
    QCOMPARE(window->windowHandle()->title(), name + TitleSuffix);
    QCOMPARE(window->windowHandle()->title().size(), name.size() + 34);
}

QTEST_MAIN(tst_StopwatchEvents)
#include "tst_stopwatchevents.moc"
