#include "cli/InterruptWatcher.h"

#include <QPointer>
#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
int g_pipe[2] = {-1, -1};

// Async-signal-safe: write(2) only, errno kept.
void onInterrupt(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void closePipe()
{
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}
} // namespace

InterruptWatcher::InterruptWatcher(QObject *parent) : QObject(parent)
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    if (::sigaction(SIGINT, &action, &m_formerInterrupt) != 0) {
        closePipe();
        return;
    }
    if (::sigaction(SIGTERM, &action, &m_formerTerminate) != 0) {
        ::sigaction(SIGINT, &m_formerInterrupt, nullptr);
        closePipe();
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InterruptWatcher::onReadable);
    m_active = true;
}

InterruptWatcher::~InterruptWatcher()
{
    if (!m_active)
        return;
    ::sigaction(SIGINT, &m_formerInterrupt, nullptr);
    ::sigaction(SIGTERM, &m_formerTerminate, nullptr);
    delete m_notifier;
    closePipe();
}

void InterruptWatcher::onReadable()
{
    char bytes[16];
    int came = 0;
    for (ssize_t got; (got = ::read(g_pipe[0], bytes, sizeof bytes)) > 0;)
        came += int(got);
    // A receiver may delete the watcher when told.
    const QPointer<InterruptWatcher> alive(this);
    for (int i = 0; i < came && alive; ++i)
        Q_EMIT interrupted(++m_count);
}
