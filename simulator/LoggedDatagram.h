#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHostAddress>
#include <QMetaType>
#include <QString>

// One datagram as it crossed the simulator's sockets.
struct LoggedDatagram {
    QDateTime when;
    bool sent = false; // false: received by the simulator
    QHostAddress peer;
    quint16 peerPort = 0;
    quint16 localPort = 0;
    QByteArray bytes;
    QString device; // the simulated device's hardware address when it plays several
};
Q_DECLARE_METATYPE(LoggedDatagram)

// "2026-01-02T03:04:05.678 RECV 127.0.0.1:4321 -> port 30718 (4 bytes) 00 00 00 F6",
// with "[02-00-00-04-0B-0D] " before RECV / SEND when a device is named.
QString formatLoggedDatagram(const LoggedDatagram &entry);
