// SPDX-License-Identifier: MIT
// What the stopwatch does when the user or the timer acts: the window's event handlers, each doing
// its steps in the order the window changes.
#include "frmstopwatch.h"

#include "secondtimer.h"
#include "timing/timeformat.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString TitleSuffix = QStringLiteral("            Zembo's QVR Stopwatch ");
const QString StopCaption = QStringLiteral("Stop Timer");
const QString ContinueCaption = QStringLiteral("Continue");

constexpr char16_t EnterKey = 13;

char16_t keyAscii(const QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return EnterKey;
    return event->text().isEmpty() ? 0 : event->text().front().unicode();
}

QString timeText(const std::string &text)
{
    return QString::fromStdString(text);
}

// Qt reads "[*]" in a title as the place of a modified-document mark and drops it; doubled, it
// shows as typed.
QString literalTitle(QString title)
{
    return title.replace(QLatin1StringView("[*]"), QLatin1StringView("[*][*]"));
}

} // namespace

void frmStopWatch::Form_Load()
{
    Timer1->setEnabled(false);
}

void frmStopWatch::CmdStart_Click()
{
    TimingState.beginRun(clock());
    Timer1->setEnabled(true);
    txtStart->setText(timeText(timing::formatTime(TimingState.startTime().local)));
    CmdStop->setFocus();
    setWindowTitle(literalTitle(txtName->text() + TitleSuffix));
    CmdStart->setEnabled(false);
}

void frmStopWatch::CmdStop_Click()
{
    if (CmdStop->text() == StopCaption) {
        Timer1->setEnabled(false);
        CmdStop->setText(ContinueCaption);
        TimingState.pause();
    } else {
        Timer1->setEnabled(true);
        CmdStop->setText(StopCaption);
        TimingState.resume(clock());
    }
}

void frmStopWatch::Timer1_Timer()
{
    // One reading for both: a tick that comes late can fall on the second's turn, and two readings
    // would then show an ending time a second past its total.
    const timing::ClockReading now = clock();
    const timing::TimeValue elapsed = TimingState.tick(now);
    txtStop->setText(timeText(timing::formatTime(now.local)));
    txtElapsed->setText(timeText(timing::formatDuration(elapsed)));
}

void frmStopWatch::cmdClear_Click()
{
    Timer1->setEnabled(false);
    txtStop->clear();
    txtElapsed->clear();
    TimingState.clear();
    CmdQuit->setFocus();
    CmdStart->setEnabled(true);
}

void frmStopWatch::CmdQuit_Click()
{
    QCoreApplication::exit(0);
}

void frmStopWatch::txtName_GotFocus()
{
    txtName->setSelection(0, txtName->text().size());
}

void frmStopWatch::txtName_KeyPress(char16_t keyAscii)
{
    if (keyAscii == EnterKey)
        CmdStart_Click();
}

void frmStopWatch::CmdStart_KeyPress(char16_t keyAscii)
{
    if (keyAscii == EnterKey)
        CmdStart_Click();
}

void frmStopWatch::CmdStop_KeyPress(char16_t keyAscii)
{
    if (keyAscii == EnterKey)
        CmdStop_Click();
}

void frmStopWatch::cmdClear_KeyPress(char16_t keyAscii)
{
    if (keyAscii == EnterKey)
        cmdClear_Click();
}

bool frmStopWatch::deliverKeyPress(QObject *watched, char16_t keyAscii)
{
    if (watched == txtName)
        txtName_KeyPress(keyAscii);
    else if (watched == CmdStart)
        CmdStart_KeyPress(keyAscii);
    else if (watched == CmdStop)
        CmdStop_KeyPress(keyAscii);
    else if (watched == cmdClear)
        cmdClear_KeyPress(keyAscii);
    // Enter has done its work here; neither the name box nor a button may act on it again.
    return keyAscii == EnterKey;
}

bool frmStopWatch::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return deliverKeyPress(watched, keyAscii(static_cast<QKeyEvent *>(event)));
    case QEvent::FocusIn:
        if (watched == txtName) {
            txtName_GotFocus();
            reselectNameOnRelease =
                static_cast<QFocusEvent *>(event)->reason() == Qt::MouseFocusReason;
        }
        break;
    case QEvent::FocusOut:
        if (watched == txtName)
            reselectNameOnRelease = false;
        break;
    case QEvent::MouseButtonRelease:
        if (watched == txtName && reselectNameOnRelease) {
            reselectNameOnRelease = false;
            txtName_GotFocus();
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
