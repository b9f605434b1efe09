#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class QSocketNotifier;

// What the owner of a ping control gives it before each start.
struct PingOptions {
    int dataBytes = 0; // data in each echo request
    int waitMs = 0;    // the first time value: the wait for each reply
    int pauseMs = 0;   // the second time value: the pause between requests
};

// The ICMP ping control that the Assign IP and Ping Device dialogs drive by
// properties and events, on the event loop (no threads).
//
// Setting enabled to true opens an ICMP socket and starts pinging the target
// host; each echo request ends in exactly one replyReceived or replyTimedOut
// event, then the next request follows, until enabled is set to false. After
// a stop no event arrives. The counts restart from zero at each start; a
// start while enabled restarts (the outstanding request is dropped silently).
//
// Time values:
//   first  = the wait for a reply to one request, ms;
//   second = the pause from one request's outcome to the next request, ms.
// The owner sets both, and the data size, before the first start
// (setOptions); the control has no values of its own.
// Options:
//   start option   true: the first request goes at once (through the event
//                  loop, never inside the call); false: after one pause.
//   further option true: requests carry "don't fragment".
//   reset request  true while disabled: the counts are cleared.
//
// Socket: an unprivileged ICMP datagram socket where the kernel permits it
// (net.ipv4.ping_group_range), else a raw socket (CAP_NET_RAW). When neither
// can be opened, setEnabled(true) throws Failure(IcmpUnavailable). Replies are
// matched on source, identifier (the kernel's for datagram sockets), sequence
// and payload, so other programs' pings never count.
//
// error(code, text): the socket layer refused a send or reported a receive
// error; code is the system error number. The request still ends in its
// time-out event.
class PingControl : public QObject {
    Q_OBJECT
public:
    enum class SocketKind { None, Datagram, Raw };
    // Opens an ICMP socket of the given type (SOCK_DGRAM or SOCK_RAW),
    // non-blocking; returns the descriptor, or -1 with errno set.
    using SocketOpener = std::function<int(int socketType)>;

    explicit PingControl(QObject *parent = nullptr, SocketOpener opener = {});
    ~PingControl() override;

    void setTargetHost(const QString &host) { m_target = host; }
    QString targetHost() const { return m_target; }
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    void setDataSize(int bytes);
    int dataSize() const { return m_dataSize; }
    void setFirstTimeValue(int ms) { m_firstMs = qMax(1, ms); }
    int firstTimeValue() const { return m_firstMs; }
    void setSecondTimeValue(int ms) { m_secondMs = qMax(0, ms); }
    int secondTimeValue() const { return m_secondMs; }
    void setStartOption(bool on) { m_startOption = on; }
    bool startOption() const { return m_startOption; }
    void setFurtherOption(bool on) { m_furtherOption = on; }
    bool furtherOption() const { return m_furtherOption; }
    void setResetRequest(bool on);
    // The data size and both time values at once.
    void setOptions(const PingOptions &options);

    quint32 echoCount() const { return m_echoCount; }
    quint32 replyCount() const { return m_replyCount; }
    SocketKind socketKind() const { return m_kind; }

Q_SIGNALS:
    void echoRequestSent();
    void replyReceived(quint16 sequence, quint16 dataBytes, quint32 roundTripMs);
    void replyTimedOut();
    void error(quint16 code, const QString &text);

private:
    void start();
    void stop();
    void openSocket();
    void closeSocket();
    void sendNext();
    void onReadable();
    void onWaitOver();
    void afterOutcome(quint64 generation);
    bool matches(const QHostAddress &from, const QByteArray &bytes, quint16 *dataBytes) const;

    SocketOpener m_opener;
    QString m_target;
    QHostAddress m_targetAddress;
    bool m_enabled = false;
    int m_dataSize = 0;
    int m_firstMs = 1;
    int m_secondMs = 0;
    bool m_startOption = true;
    bool m_furtherOption = false;

    int m_fd = -1;
    SocketKind m_kind = SocketKind::None;
    QSocketNotifier *m_notifier = nullptr;
    quint16 m_identifier = 0;
    quint32 m_echoCount = 0;
    quint32 m_replyCount = 0;
    quint64 m_generation = 0; // changes at each start and stop
    bool m_awaiting = false;
    quint16 m_sequence = 0;
    QByteArray m_payload;
    QElapsedTimer m_sentAt;
    QTimer m_wait;
    QTimer m_pause;
};
