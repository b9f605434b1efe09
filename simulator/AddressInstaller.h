#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

// Puts an address taken from IP-SETUP on a network interface with
// `ip addr add ADDRESS/32 dev NAME` (and takes the one it added before off),
// so that the host starts answering pings there. Meant for a simulator
// running inside a network namespace of its own.
class AddressInstaller : public QObject {
    Q_OBJECT
public:
    explicit AddressInstaller(QString interfaceName, QObject *parent = nullptr);

    void install(const QHostAddress &address);

Q_SIGNALS:
    void installed(const QHostAddress &address);
    void notice(const QString &text);

private:
    void runIp(const QStringList &arguments, const QHostAddress &address, bool adding);

    QString m_interface;
    QHostAddress m_current;
};
