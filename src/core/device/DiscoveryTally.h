#pragma once

#include "core/device/DeviceProtocol.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

// One device that answered a discovery query.
struct DiscoveredDevice {
    QHostAddress address; // the sender of its first reply
    DecodedReply identity;
    QStringList interfaces; // where it answered, in the order first seen
    int replies = 0;
    qint64 firstReplyMs = 0; // since the queries went out
    bool conflict = false;   // another device answered with the same address
};

// Two or more devices answering with one IP address.
struct AddressConflict {
    QHostAddress address;
    QStringList hardwareAddresses; // in order
};

// The replies of one discovery: one device per hardware address, however
// many queries it answered and on however many interfaces.
class DiscoveryTally {
public:
    enum class Taken { Ignored, NewDevice, Repeat };

    // A datagram shorter than a whole reply has no complete hardware address
    // and is only counted as ignored.
    Taken add(const QByteArray &datagram, const QHostAddress &sender, const QString &interfaceName,
              qint64 elapsedMs);

    // Ordered by address, then hardware address; `conflict` set on each
    // device that shares its address with another.
    QList<DiscoveredDevice> devices() const;
    QList<AddressConflict> conflicts() const;
    // The device of that hardware address as tallied so far.
    DiscoveredDevice device(const QString &hardwareAddress) const
    {
        return m_byHardware.value(hardwareAddress);
    }

    int repliesTaken() const { return m_taken; }
    int repliesIgnored() const { return m_ignored; }
    qint64 lastReplyMs() const { return m_lastReplyMs; }
    qint64 lastNewDeviceMs() const { return m_lastNewDeviceMs; }

private:
    QHash<QString, DiscoveredDevice> m_byHardware;
    int m_taken = 0;
    int m_ignored = 0;
    qint64 m_lastReplyMs = 0;
    qint64 m_lastNewDeviceMs = 0;
};
