#pragma once

#include "core/commission/CommissionPlan.h"
#include "core/device/DeviceDiscovery.h"

#include <QList>
#include <QObject>
#include <QStringList>

// IP-SETUP selects a device by the last two bytes of its hardware address
// alone, so every device on the segment that ends like a row's takes the
// row's address too. Before any IP-SETUP is sent, this finds the devices on
// the segments the rows' datagrams go to (the interfaces whose subnets hold
// the rows' addresses) and names each row that another device's ending
// matches. A row whose address lies in no subnet of a broadcast interface has
// no segment here to look at. Runs on the event loop; shows nothing.
class EndingCheck : public QObject {
    Q_OBJECT
public:
    struct Clash {
        int line = 0;
        QString planned;        // the row's hardware address
        DiscoveredDevice found; // the other device
        QString text() const;   // both hardware addresses, and why it matters
    };

    explicit EndingCheck(QObject *parent = nullptr);

    // Discovers with `options` on the rows' interfaces; finished() follows.
    // False when no row's address lies on a segment to look at: nothing is
    // sent then, and nothing follows. Throws Failure (SocketBindFailed) when
    // the discovery cannot start; nothing has been sent then either.
    bool start(const QList<PlanRow> &rows, const DiscoveryOptions &options);

    QStringList interfaces() const { return m_interfaces; } // where it looked
    const QList<Clash> &clashes() const { return m_clashes; }

Q_SIGNALS:
    void finished();

private:
    void judge();

    DeviceDiscovery m_discovery;
    QList<PlanRow> m_rows;
    QStringList m_interfaces;
    QList<Clash> m_clashes;
};
