// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

// A one-second timer whose ticks land just after the wall clock's second turns, so a display
// refreshed by it turns over with the system clock. Each tick is re-armed from a fresh clock
// reading, so drift, load and clock corrections never move the phase for more than one tick.
// When disabled it has no pending wake-up at all.
class SecondTimer : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SecondTimer)

public:
    explicit SecondTimer(QObject *parent = nullptr);

    // Enabling a timer that is already on keeps its phase.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    // How long to wait, at the given wall-clock time, for the next tick.
    static std::chrono::milliseconds delayUntilNextTick(std::chrono::system_clock::time_point now);

    // Whether a wake-up at this time came before the second it was meant for had turned, as when
    // the wall clock was corrected while the timer was pending.
    static bool isEarly(std::chrono::system_clock::time_point now);

signals:
    void timeout();

private:
    void arm();
    void fire();

    QTimer m_timer;
    bool m_enabled = false;
};
