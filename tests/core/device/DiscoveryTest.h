#pragma once

#include <QObject>

// Discovery without a network: how replies are tallied, and what the doctor
// concludes from this host's interfaces and the answers it got; whether the
// devices answering at an address prove an assignment.
class DiscoveryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tally_data();
    void tally();
    void newAddressFindings_data();
    void newAddressFindings();
    void deviceFindings_data();
    void deviceFindings();
    void noIcmpSocketNamesTheSysctl();
    void holdersProveOneDevice_data();
    void holdersProveOneDevice();
};
