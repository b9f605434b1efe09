#include "core/net/UnproxiedUdpSocket.h"

#include <QNetworkProxy>
#include <QUdpSocket>

QUdpSocket *newUdpSocket(QObject *parent)
{
    auto *socket = new QUdpSocket(parent);
    socket->setProxy(QNetworkProxy::NoProxy);
    return socket;
}
