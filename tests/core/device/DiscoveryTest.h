#pragma once

#include <QObject>

// Discovery without a network: how replies are tallied.
class DiscoveryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tally_data();
    void tally();
};
