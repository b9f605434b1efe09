#pragma once

#include <QObject>

// Assign IP without widgets: the address texts, the IP-SETUP datagram and its
// send, the rule that confirms the new address by ping, and its confirmation
// by the device query.
class IpSetupTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void conversions_data();
    void conversions();
    void datagram_data();
    void datagram();
    void resolveHostName();
    void exchange_data();
    void exchange();
    void noDescriptorLeftOpen();
    void confirmation_data();
    void confirmation();
    void queryPoll_data();
    void queryPoll();
};
