#pragma once

#include <QObject>

// Discovery without a network: how replies are tallied, and whether the
// devices answering at an address prove an assignment.
class DiscoveryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tally_data();
    void tally();
    void holdersProveOneDevice_data();
    void holdersProveOneDevice();
};
