#pragma once

#include "core/device/DeviceProtocol.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class AddressHolders;

struct QueryPollOptions {
    quint16 port = 0;  // the device's query port
    int pollMs = 0;    // between two queries
    int timeoutMs = 0; // the whole poll
};

// Waits for a device to answer at an address: the device query goes to the
// address and to its IP-SETUP broadcast every pollMs until the planned
// hardware address answers as wanted, then one more interval lets a second
// holder of the address show; or until the time-out. The broadcast copy needs
// no neighbour entry, so one left unresolved by an earlier ping of the
// address cannot swallow the first answers. Runs on the event loop; shows
// nothing.
class QueryPoll : public QObject {
    Q_OBJECT
public:
    explicit QueryPoll(const QueryPollOptions &options, QObject *parent = nullptr);
    ~QueryPoll() override;

    // hardwareAddress in its normal upper-case form; wanted: what the planned
    // device's reply must show besides (a firmware version), any reply when
    // empty. finished() follows. Throws Failure when the first query cannot
    // be sent.
    void start(const QString &address, const QString &hardwareAddress,
               std::function<bool(const DecodedReply &)> wanted = {});
    // Ends at once, without finished().
    void stop();

    // The planned device answered as wanted, and no other device did.
    bool confirmed() const { return m_confirmed; }
    int polls() const { return m_polls; }
    // Every device that answered, with its latest reply.
    const QList<DecodedReply> &holders() const;
    // The planned device's latest reply, or null.
    const DecodedReply *planned() const;
    // Why the holders do not show the planned device alone (holdersProblem()).
    QString problem() const;

Q_SIGNALS:
    void finished();

private:
    void answered(const DecodedReply &reply);
    void tick();
    void finish();

    QueryPollOptions m_options;
    AddressHolders *m_holders;
    QTimer m_tick;
    QString m_address;
    QString m_hardware;
    std::function<bool(const DecodedReply &)> m_wanted;
    int m_polls = 0;
    bool m_settling = false;
    bool m_confirmed = false;
};
