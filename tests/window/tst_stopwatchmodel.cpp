// SPDX-License-Identifier: MIT
// Thousands of random sequences of user actions, each checked step by step against a small model
// of what the window must show. A failure prints its seed and the steps that led to it; set
// STOPWATCH_MODEL_SEED to replay one sequence.
#include "fakeclock.h"
#include "findcontrol.h"
#include "timing/timeformat.h"
#include "window/frmstopwatch.h"
#include "window/secondtimer.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <random>

namespace {

const QString TitleSuffix = QStringLiteral("            Zembo's QVR Stopwatch ");
const QStringList FocusChain = {"txtName", "CmdStart", "CmdStop", "cmdClear", "CmdQuit"};
enum Focus { Name, Start, Stop, Clear, Quit };

QString text(const std::string &s)
{
    return QString::fromStdString(s);
}

// What the window must show, kept by the rules a user would state: Start and Continue begin a run
// and bank any run in progress; a tick shows the banked total plus the run so far; Stop banks the
// total of the last tick; Clear forgets everything.
struct Model
{
    bool timerOn = false;
    bool captionIsStop = true;
    bool startEnabled = true;
    int focus = Name;
    QString name = QStringLiteral("Company Name");
    QString title = QStringLiteral("  QVR Stop Watch");
    QString startShown, stopShown, elapsedShown;

    bool running = false;
    timing::TimeValue runStart = 0, banked = 0, lastTotal = 0;

    void beginRun(const timing::ClockReading &now)
    {
        if (running)
            banked += now.universal - runStart;
        runStart = now.universal;
        lastTotal = banked;
        running = true;
        timerOn = true;
    }
    void start(const timing::ClockReading &now)
    {
        beginRun(now);
        startShown = text(timing::formatTime(now.local));
        focus = Stop;
        title = name + TitleSuffix;
        startEnabled = false;
    }
    void stopOrContinue(const timing::ClockReading &now)
    {
        if (captionIsStop) {
            timerOn = false;
            if (running)
                banked = lastTotal;
            running = false;
        } else {
            beginRun(now);
        }
        captionIsStop = !captionIsStop;
    }
    void clear()
    {
        timerOn = running = false;
        stopShown.clear();
        elapsedShown.clear();
        banked = lastTotal = 0;
        focus = Quit;
        startEnabled = true;
    }
    void tick(const timing::ClockReading &now)
    {
        lastTotal = banked + (now.universal - runStart);
        stopShown = text(timing::formatTime(now.local));
        elapsedShown = text(timing::formatDuration(lastTotal));
    }
    void moveFocus(int step)
    {
        do
            focus = (focus + step + 5) % 5;
        while (focus == Start && !startEnabled);
    }
};

class Run
{
public:
    explicit Run(quint64 seed) : random(seed), window(clock.source())
    {
        window.show();
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("the window did not become active");
    }

    // Plays one random action on the window and the model; returns its description.
    QString step()
    {
        switch (pick(12)) {
        case 0:
            if (!model.startEnabled)
                return click("CmdStart"), QStringLiteral("click disabled Start");
            click("CmdStart");
            model.focus = Start;
            model.start(clock.reading());
            return QStringLiteral("click Start");
        case 1:
            click("CmdStop");
            model.focus = Stop;
            model.stopOrContinue(clock.reading());
            return QStringLiteral("click Stop/Continue");
        case 2:
            click("cmdClear");
            model.clear();
            return QStringLiteral("click Clear");
        case 3:
            return enter();
        case 4:
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            model.moveFocus(1);
            return QStringLiteral("Tab");
        case 5:
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            model.moveFocus(-1);
            return QStringLiteral("Shift+Tab");
        case 6: {
            const QString typed = QStringLiteral("Job %1").arg(pick(1000));
            // A click selects the whole name only when it brings the focus.
            if (model.focus == Name)
                QTest::keyClick(control("txtName"), Qt::Key_A, Qt::ControlModifier);
            else
                click("txtName");
            QTest::keyClicks(QApplication::focusWidget(), typed);
            model.focus = Name;
            model.name = typed;
            return QStringLiteral("type name \"%1\"").arg(typed);
        }
        case 7: {
            const int ms = 1000 * pick(4);
            return wait(ms) + QStringLiteral(", ") + tick();
        }
        case 8:
        case 9: {
            const int ms = pick(2500);
            return wait(ms) + QStringLiteral(", ") + tick();
        }
        case 10:
            return wait(pick(90'000));
        default: {
            const int shift = pick(2) ? 3600 : -3600;
            clock.shiftUtcOffset(shift);
            return QStringLiteral("UTC offset %1%2 h").arg(shift > 0 ? "+" : "-").arg(1);
        }
        }
    }

    // Compares the window with the model; returns what differs.
    QString mismatch() const
    {
        QStringList differences;
        const auto compare = [&differences](const char *what, const QVariant &actual,
                                            const QVariant &expected) {
            if (actual != expected)
                differences << QStringLiteral("%1 is \"%2\", expected \"%3\"")
                                   .arg(what, actual.toString(), expected.toString());
        };
        compare("txtStart", label("txtStart"), model.startShown);
        compare("txtStop", label("txtStop"), model.stopShown);
        compare("txtElapsed", label("txtElapsed"), model.elapsedShown);
        compare("CmdStop caption", control<QPushButton>("CmdStop")->text(),
                model.captionIsStop ? "Stop Timer" : "Continue");
        compare("CmdStart enabled", control("CmdStart")->isEnabled(), model.startEnabled);
        compare("Timer1 on", control<SecondTimer>("Timer1")->isEnabled(), model.timerOn);
        compare("title", window.windowHandle()->title(), model.title);
        compare("focus", QApplication::focusWidget()->objectName(), FocusChain[model.focus]);
        return differences.join(QStringLiteral("; "));
    }

    QString totalShown() const { return label("txtElapsed"); }

private:
    template <typename T = QWidget> T *control(const char *name) const
    {
        return findControl<T>(window, name);
    }
    QString label(const char *name) const { return control<QLabel>(name)->text(); }
    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random); }
    void click(const char *name) { QTest::mouseClick(control(name), Qt::LeftButton); }

    QString enter()
    {
        const QString on = FocusChain[model.focus];
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        switch (model.focus) {
        case Name:
        case Start:
            model.start(clock.reading());
            break;
        case Stop:
            model.stopOrContinue(clock.reading());
            break;
        case Clear:
            model.clear();
            break;
        }
        return QStringLiteral("Enter on ") + on;
    }

    QString wait(int ms)
    {
        clock.advance(ms);
        return QStringLiteral("wait %1 ms").arg(ms);
    }

    QString tick()
    {
        // The timer only fires while it is on.
        if (!model.timerOn)
            return QStringLiteral("no tick");
        emit control<SecondTimer>("Timer1")->timeout();
        model.tick(clock.reading());
        return QStringLiteral("tick");
    }

    std::mt19937_64 random;
    FakeClock clock;
    frmStopWatch window;
    Model model;
};

// The total in seconds, or -1 when none is shown.
qint64 seconds(const QString &shown)
{
    const QStringList parts = shown.trimmed().split(QLatin1Char(':'));
    if (parts.size() != 3)
        return -1;
    return parts[0].toLongLong() * 3600 + parts[1].toLongLong() * 60 + parts[2].toLongLong();
}

} // namespace

class tst_StopwatchModel : public QObject
{
    Q_OBJECT

private slots:
    void randomSequencesMatchTheModel()
    {
        const bool replay = qEnvironmentVariableIsSet("STOPWATCH_MODEL_SEED");
        const quint64 firstSeed =
            replay ? qEnvironmentVariable("STOPWATCH_MODEL_SEED").toULongLong() : 20261208;
#ifdef STOPWATCH_SANITIZE
        // Under the sanitizers every step costs several times as much; a quarter of the
        // sequences still takes every path through the handlers.
        const int sequences = replay ? 1 : 250;
#else
        const int sequences = replay ? 1 : 1000;
#endif
        const int steps = 40;

        for (int sequence = 0; sequence < sequences; ++sequence) {
            const quint64 seed = firstSeed + sequence;
            Run run(seed);
            QStringList played;
            qint64 highest = 0;
            for (int step = 0; step < steps; ++step) {
                played << run.step();
                const auto fail = [&](const QString &why) {
                    QFAIL(qPrintable(QStringLiteral("seed %1, after: %2\n%3")
                                         .arg(seed)
                                         .arg(played.join(QStringLiteral(" | ")), why)));
                };
                if (const QString differs = run.mismatch(); !differs.isEmpty())
                    return fail(differs);
                const qint64 total = seconds(run.totalShown());
                if (played.back() == QLatin1String("click Clear") ||
                    played.back() == QLatin1String("Enter on cmdClear"))
                    highest = 0;
                else if (total >= 0 && total < highest)
                    return fail(QStringLiteral("the total went down from %1 s").arg(highest));
                highest = qMax(highest, total);
            }
        }
    }
};

QTEST_MAIN(tst_StopwatchModel)
#include "tst_stopwatchmodel.moc"
