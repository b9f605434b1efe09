#pragma once

#include <QObject>

// Discovery without a network: how replies are tallied and listed, the
// search settings, and whether the devices answering at an address prove an
// assignment.
class DiscoveryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tally_data();
    void tally();
    void sortKeysOrderAsRead();
    void searchSettings_data();
    void searchSettings();
    void holdersProveOneDevice_data();
    void holdersProveOneDevice();
};
