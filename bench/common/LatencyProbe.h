#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>

// Samples the event loop every few milliseconds and keeps the longest gap beyond the interval:
// the longest time the thread was kept from its events.
class LatencyProbe : public QObject
{
public:
    static constexpr int IntervalMs = 4;
    LatencyProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(IntervalMs);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const double now = m_clock.nsecsElapsed() / 1e6;
            m_worst = std::max(m_worst, now - m_last - IntervalMs);
            m_last = now;
        });
    }
    void start()
    {
        m_worst = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return std::max(0.0, m_worst);
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0;
    double m_worst = 0;
};
