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
    // `current`: an address already put on the interface for this device,
    // taken off when the device moves to another.
    explicit AddressInstaller(QString interfaceName, QHostAddress current = {},
                              QObject *parent = nullptr);

    void install(const QHostAddress &address);

    // Adds every address (as /32) to the interface with one `ip -batch`,
    // waiting for it; false with the reason when that fails. Addresses
    // already there are kept.
    static bool addAll(const QString &interfaceName, const QList<QHostAddress> &addresses,
                       QString *error);

Q_SIGNALS:
    void installed(const QHostAddress &address);
    void notice(const QString &text);

private:
    void runIp(const QStringList &arguments, const QHostAddress &address, bool adding);

    QString m_interface;
    QHostAddress m_current;
};
