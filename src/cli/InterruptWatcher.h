#pragma once

#include <QObject>
#include <signal.h>

class QSocketNotifier;

// Turns SIGINT (Ctrl-C) into a signal on the event loop while it lives: the
// handler only writes a byte into a pipe, which a socket notifier reads. The
// former handler is put back when it goes. One at a time.
class InterruptWatcher : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatcher(QObject *parent = nullptr);
    ~InterruptWatcher() override;

    // False when the pipe or the handler could not be set up.
    bool active() const { return m_active; }

Q_SIGNALS:
    void interrupted();

private:
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_former = {};
    bool m_active = false;
};
