#pragma once

#include "core/device/AssignConfirmation.h"
#include "core/device/IpSetupExchange.h"
#include "core/net/PingControl.h"

#include <QObject>
#include <QString>

// Gives a device its address by hardware address and confirms it, as the
// Assign IP dialog does, without the dialog: the IP-SETUP datagram, then
// pings to the new address until the confirmation rule decides. Shows
// nothing; its caller turns the outcome into boxes, text or a report.
class AddressAssignment : public QObject {
    Q_OBJECT
public:
    // port: the device's IP-SETUP port; ping: the confirmation pings' data
    // size, wait for a reply and pause between requests.
    AddressAssignment(quint16 port, const PingOptions &ping, QObject *parent = nullptr,
                      PingControl::SocketOpener opener = {});

    // Sends the datagram with the new address as typed and the hardware
    // address (upper case), and, when it went and `confirm` is set, starts
    // pinging the trimmed address: finished() follows. Throws Failure when
    // the pings cannot start (the datagram has gone then).
    IpSetupOutcome start(const QString &newIpText, const QString &hardwareText, bool confirm);
    void stop();
    bool isConfirming() const { return m_ping.isEnabled(); }

    quint32 echoes() const { return m_ping.echoCount(); }
    quint32 replies() const { return m_ping.replyCount(); }
    int timeouts() const { return m_timeouts; }
    // The confirmation pings' control, for a window's object tree and its tests.
    PingControl &control() { return m_ping; }

Q_SIGNALS:
    void replied();
    void timedOut();
    // Succeeded, Failed, or Stopped (no verdict); pinging has stopped.
    void finished(AssignConfirmation::Verdict verdict);

private:
    void decide(AssignConfirmation::Verdict verdict);

    quint16 m_port;
    int m_waitMs;
    PingControl m_ping;
    AssignConfirmation m_confirmation;
    int m_timeouts = 0;
};
