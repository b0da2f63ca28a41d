#pragma once
// A timer on the user-interface thread that notes the longest it had to wait
// between two of its ticks: the longest time the window could not have
// repainted or answered a click.

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

namespace testsupport {

class Heartbeat {
public:
    // Ticks every `intervalMs` from now on.
    explicit Heartbeat(int intervalMs = 10);

    // The longest time between two ticks (or from the start to the first),
    // in milliseconds.
    qint64 LongestGap() const { return m_longest; }
    // Runs at every tick, for checks that must hold all the time.
    std::function<void()> OnTick;

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

} // namespace testsupport
