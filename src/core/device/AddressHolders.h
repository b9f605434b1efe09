#pragma once

#include "core/device/DeviceProtocol.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class QUdpSocket;

// Every device that answers at one address. A query to the address alone
// reaches one device however many hold it (the one whose hardware address the
// neighbour table names), so the query also goes to the broadcast that the
// address's IP-SETUP goes to, and every reply sent from the address counts,
// one per hardware address. Collecting ends at the time-out, or a short while
// after the first reply: the others answer the same broadcast. The queries
// may be sent again on the same socket (poll()); a device that answers again
// keeps its place with its latest reply. Runs on the event loop; shows nothing.
class AddressHolders : public QObject {
    Q_OBJECT
public:
    // settleMs: how long the other holders get after the first reply.
    AddressHolders(quint16 port, int timeoutMs, int settleMs, QObject *parent = nullptr);
    ~AddressHolders() override;

    // Sends the queries; finished() follows. Throws Failure (InvalidAddress,
    // SocketBindFailed, SocketSendFailed) when nothing could be sent.
    void start(const QString &address);
    // Sends the queries again while collecting; false when neither went.
    bool poll();
    // Ends at once, without finished().
    void stop();

    // In the order they first answered.
    const QList<DecodedReply> &holders() const { return m_holders; }
    QStringList hardwareAddresses() const;

Q_SIGNALS:
    // Every reply from the address, a device's repeats too.
    void answered(const DecodedReply &reply);
    void finished();

private:
    // Both copies of the query; how many went, and why the last one did not.
    int send(QString *why);
    void read();
    void finish();

    quint16 m_port;
    int m_timeoutMs;
    int m_settleMs;
    QHostAddress m_address;
    QUdpSocket *m_socket = nullptr;
    QTimer m_timer;
    QList<DecodedReply> m_holders;
};

// Why the holders do not prove that `hardwareAddress` (upper case) is the one
// device at `address`; empty when they do.
QString holdersProblem(const QString &address, const QString &hardwareAddress,
                       const QList<DecodedReply> &holders);
