#include "support/Heartbeat.h"

#include <algorithm>

namespace testsupport {

Heartbeat::Heartbeat(int intervalMs) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        const qint64 now = m_clock.elapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
        if (OnTick) OnTick();
    });
    m_clock.start();
    m_timer.start();
}

} // namespace testsupport
