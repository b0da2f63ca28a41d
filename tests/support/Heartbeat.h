#pragma once
// A timer on the user-interface thread that notes the longest time between
// two of its ticks: the longest the window could not have repainted or
// answered a click. Time the thread spent ready but waiting for a processor
// (the kernel's run-queue delay in /proc/thread-self/schedstat) is left out:
// on a busy machine that is the machine's doing, not the program's.
// OnTick runs at every tick, for checks that must always hold.

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <functional>

namespace testsupport {

class Heartbeat {
public:
    Heartbeat() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            const qint64 queued = QueuedMs();
            m_longest = std::max(m_longest, m_clock.restart() - (queued - m_queued));
            m_queued = queued;
            if (OnTick) OnTick();
        });
        m_queued = QueuedMs();
        m_clock.start();
        m_timer.start(10);
    }
    qint64 LongestGap() const { return m_longest; } // milliseconds
    std::function<void()> OnTick;

private:
    // Milliseconds this thread has waited on a run queue; 0 when unknown.
    static qint64 QueuedMs() {
        std::ifstream stat("/proc/thread-self/schedstat");
        long long running = 0, queued = 0;
        return stat >> running >> queued ? qint64(queued / 1000000) : 0;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_queued = 0;
    qint64 m_longest = 0;
};

} // namespace testsupport
