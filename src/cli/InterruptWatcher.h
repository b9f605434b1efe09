#pragma once

#include <QObject>
#include <signal.h>

class QSocketNotifier;

// Turns SIGINT (Ctrl-C) and SIGTERM into a signal on the event loop while it
// lives: the handler only writes a byte into a pipe, which a socket notifier
// reads. The former handlers are put back when it goes. One at a time.
class InterruptWatcher : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatcher(QObject *parent = nullptr);
    ~InterruptWatcher() override;

    // False when the pipe or the handlers could not be set up.
    bool active() const { return m_active; }

Q_SIGNALS:
    // Once per signal that came: `count` 1 for the first, 2 for the next...
    void interrupted(int count);

private:
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_formerInterrupt = {};
    struct sigaction m_formerTerminate = {};
    bool m_active = false;
    int m_count = 0;
};
