#include "DelayLine.h"

#include <QSocketNotifier>
#include <QTimer>
#include <sys/timerfd.h>
#include <unistd.h>

DelayLine::DelayLine(std::chrono::microseconds delay, QObject *parent)
    : QObject(parent), m_delay(delay)
{
    m_fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return; // post() falls back to millisecond timers
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        quint64 expirations = 0;
        if (::read(m_fd, &expirations, sizeof expirations) < 0) {
            // Nothing to read: a spurious wake-up; the due items say what to do.
        }
        runDue();
    });
}

DelayLine::~DelayLine()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void DelayLine::post(QObject *context, std::function<void()> action)
{
    if (m_fd < 0) {
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(m_delay);
        QTimer::singleShot(ms, Qt::PreciseTimer, context, std::move(action));
        return;
    }
    m_items.push_back({std::chrono::steady_clock::now() + m_delay, context, std::move(action)});
    if (m_items.size() == 1)
        arm();
}

void DelayLine::arm()
{
    if (m_items.empty())
        return;
    // The steady clock is CLOCK_MONOTONIC on Linux, so its time points arm
    // the timer directly.
    const auto due = m_items.front().due.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(due);
    itimerspec when{};
    when.it_value.tv_sec = seconds.count();
    when.it_value.tv_nsec = std::chrono::nanoseconds(due - seconds).count();
    if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0)
        when.it_value.tv_nsec = 1; // zero would disarm the timer
    ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &when, nullptr);
}

void DelayLine::runDue()
{
    // An action may post again: take each item off the line before running it.
    while (!m_items.empty() && m_items.front().due <= std::chrono::steady_clock::now()) {
        Item item = std::move(m_items.front());
        m_items.pop_front();
        if (item.context)
            item.action();
    }
    arm();
}
