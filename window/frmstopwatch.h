// SPDX-License-Identifier: MIT
#pragma once

#include "timing/clock.h"
#include "timing/timingstate.h"

#include <QPixmap>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class SecondTimer;

// The stopwatch's one window. Its controls carry the names the handlers below use, as object
// names too, so that tests and assistive tools can find them.
class frmStopWatch : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(frmStopWatch)

public:
    explicit frmStopWatch(timing::Clock clock = timing::systemClockReading,
                          QWidget *parent = nullptr);

    void Form_Load();
    void CmdStart_Click();
    void CmdStop_Click();
    void Timer1_Timer();
    void cmdClear_Click();
    void CmdQuit_Click();
    void txtName_GotFocus();
    void txtName_KeyPress(char16_t keyAscii);
    void CmdStart_KeyPress(char16_t keyAscii);
    void CmdStop_KeyPress(char16_t keyAscii);
    void cmdClear_KeyPress(char16_t keyAscii);

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void createControls();
    void connectEvents();
    bool deliverKeyPress(QObject *watched, char16_t keyAscii);

    timing::Clock clock;
    timing::TimingState TimingState;
    QPixmap picture;

    QLineEdit *txtName = nullptr;
    QPushButton *CmdStart = nullptr;
    QLabel *LblStart = nullptr;
    QLabel *txtStart = nullptr;
    QPushButton *CmdStop = nullptr;
    QLabel *LblStop = nullptr;
    QLabel *txtStop = nullptr;
    QPushButton *cmdClear = nullptr;
    QLabel *LblQuit = nullptr;
    QLabel *txtElapsed = nullptr;
    QPushButton *CmdQuit = nullptr;
    SecondTimer *Timer1 = nullptr;

    // A mouse click that brings the focus to the name box would otherwise drop the selection.
    bool reselectNameOnRelease = false;
};
