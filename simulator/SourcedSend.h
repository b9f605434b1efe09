#pragma once

#include <QByteArray>
#include <QHostAddress>

class QUdpSocket;

// Sends one datagram from `socket`, with `source` as its sender address when
// that is a specific IPv4 address (the socket being bound to 0.0.0.0). A
// simulated device with an address of its own answers from that address, as
// the querying side expects; a null source lets the system choose. Returns
// the bytes sent, or -1 with the reason in `error`.
qint64 sendDatagramFrom(QUdpSocket &socket, const QByteArray &bytes, const QHostAddress &source,
                        const QHostAddress &peer, quint16 peerPort, QString *error);
