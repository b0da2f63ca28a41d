#pragma once
// A timer on the user-interface thread that notes the longest time between
// two of its ticks: the longest the window could not have repainted or
// answered a click. OnTick runs at every tick, for checks that must always hold.

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <functional>

namespace testsupport {

class Heartbeat {
public:
    Heartbeat() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            m_longest = std::max(m_longest, m_clock.restart());
            if (OnTick) OnTick();
        });
        m_clock.start();
        m_timer.start(10);
    }
    qint64 LongestGap() const { return m_longest; } // milliseconds
    std::function<void()> OnTick;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

} // namespace testsupport
