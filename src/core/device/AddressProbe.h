#pragma once

#include "core/device/DeviceProtocol.h"

#include <QList>
#include <QObject>
#include <QString>

class AddressHolders;
class PingSeries;

struct AddressProbeOptions {
    quint16 port = 0; // the device's query port
    int pingDataBytes = 0;
    int waitMs = 0;   // for the echo reply and for the query's replies
    int settleMs = 0; // the other holders answer within this after the first
};

// Is an address in use before it is given? One echo request and one device
// query (to the address and to its broadcast) go out at once; the answer is
// known when both have ended, or as soon as a device has answered the query.
// Runs on the event loop; shows nothing.
class AddressProbe : public QObject {
    Q_OBJECT
public:
    enum class Finding {
        Free,    // nothing answered
        Planned, // the planned device answers there, alone
        Taken,   // another device, or a host that is no device
    };

    explicit AddressProbe(const AddressProbeOptions &options, QObject *parent = nullptr);
    ~AddressProbe() override;

    // hardwareAddress in its normal upper-case form. finished() follows.
    // Throws Failure when the echo request or the query cannot be sent.
    void start(const QString &address, const QString &hardwareAddress);
    void stop();

    Finding finding() const { return m_finding; }
    bool echoAnswered() const { return m_echoAnswered; }
    // In the order they answered.
    const QList<DecodedReply> &holders() const;
    // Who holds the address, when Taken.
    QString problem() const;

Q_SIGNALS:
    void finished();

private:
    void decide();

    PingSeries *m_ping;
    AddressHolders *m_holders;
    QString m_hardware;
    Finding m_finding = Finding::Free;
    bool m_echoEnded = false;
    bool m_echoAnswered = false;
    bool m_queryEnded = false;
    bool m_deciding = false;
};
