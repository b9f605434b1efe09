#pragma once

class QObject;
class QUdpSocket;

// Every QUdpSocket of the program is made here (DatagramSocket, our own,
// has no proxy to skip). Datagrams to a device never
// go through a proxy, and a socket left with the default proxy asks the
// system's proxy configuration (a helper thread, desktop settings, perhaps a
// proxy auto-configuration look-up on the network) at its first bind.
QUdpSocket *newUdpSocket(QObject *parent = nullptr);
