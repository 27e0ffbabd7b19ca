// SPDX-License-Identifier: MIT
#include "secondtimer.h"

using namespace std::chrono;

namespace {

// Late enough that the clock read by the tick is surely in the new second, early enough that
// nobody sees the display lag the clock.
constexpr milliseconds TickLead{5};

// A wake-up this close before a second turns waits for the turn instead of showing the old
// second again.
constexpr milliseconds EarlyWindow{100};

} // namespace

SecondTimer::SecondTimer(QObject *parent) : QObject(parent), m_timer(this)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SecondTimer::fire);
}

void SecondTimer::setEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled)
        arm();
    else
        m_timer.stop();
}

milliseconds SecondTimer::delayUntilNextTick(system_clock::time_point now)
{
    const auto intoSecond = duration_cast<milliseconds>(now - floor<seconds>(now));
    return seconds{1} - intoSecond + TickLead;
}

void SecondTimer::arm()
{
    m_timer.start(delayUntilNextTick(system_clock::now()));
}

bool SecondTimer::isEarly(system_clock::time_point now)
{
    return now - floor<seconds>(now) >= seconds{1} - EarlyWindow;
}

void SecondTimer::fire()
{
    if (!isEarly(system_clock::now())) {
        emit timeout();
        if (!m_enabled)
            return;
    }
    arm();
}
