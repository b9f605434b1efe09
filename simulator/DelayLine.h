#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <deque>
#include <functional>

class QSocketNotifier;

// Holds actions back by one fixed delay, to the microsecond, the way a
// device some distance away answers late. Timers of the event loop count
// whole milliseconds, too coarse for a device half a millisecond away, so a
// timerfd of the monotonic clock drives the line.
class DelayLine : public QObject {
public:
    DelayLine(std::chrono::microseconds delay, QObject *parent = nullptr);
    ~DelayLine() override;

    // Runs `action` once the delay has passed, unless `context` is gone by then.
    void post(QObject *context, std::function<void()> action);

private:
    struct Item {
        std::chrono::steady_clock::time_point due;
        QPointer<QObject> context;
        std::function<void()> action;
    };

    void arm();
    void runDue();

    std::chrono::microseconds m_delay;
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    std::deque<Item> m_items; // in order of due time: the delay is the same for all
};
