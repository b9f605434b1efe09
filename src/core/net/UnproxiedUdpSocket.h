#pragma once

class QObject;
class QUdpSocket;

// Every UDP socket of the program is made here. Datagrams to a device never
// go through a proxy, and a socket left with the default proxy asks the
// system's proxy configuration (a helper thread, desktop settings, perhaps a
// proxy auto-configuration look-up on the network) at its first bind.
QUdpSocket *newUdpSocket(QObject *parent = nullptr);
