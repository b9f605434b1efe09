#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>

// Spaces out the IP-SETUP broadcasts of many devices assigned side by side,
// so that a segment sees at most `perSecond` of them a second whatever the
// number of devices. Requests go out in the order they came; one whose
// receiver has been destroyed meanwhile is dropped without using a turn.
class IpSetupPacer : public QObject {
    Q_OBJECT
public:
    // perSecond <= 0: no pacing, every request runs at once.
    explicit IpSetupPacer(int perSecond, QObject *parent = nullptr);

    // Runs `send` now when the one before went at least 1/perSecond ago and
    // none is waiting, else from the event loop when its turn comes. `send`
    // must not throw: it may run inside the pacer's timer.
    void enqueue(QObject *receiver, std::function<void()> send);
    int waiting() const { return int(m_queue.size()); }

private:
    struct Request {
        QPointer<QObject> receiver;
        std::function<void()> send;
    };
    void sendDue();
    qint64 nsUntilNext() const;

    qint64 m_spacingNs;
    std::deque<Request> m_queue;
    QTimer m_timer;
    QElapsedTimer m_sinceLast; // invalid until the first send
};
