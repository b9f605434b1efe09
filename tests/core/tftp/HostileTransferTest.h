#pragma once

#include <QObject>

// A hostile TFTP peer on loopback and odd source and infobase files: the
// transfer ends cleanly or goes on, it never crashes, hangs or sends the
// wrong bytes.
class HostileTransferTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void strayAcknowledgementsAreIgnored();
    void unansweredBlockIsRepeatedAFewTimes();
    void junkDatagrams_data();
    void junkDatagrams();
    void arrivalsWhileAHandlerWaitsAreNotLost();
    void secondNewPortIsIgnored();
    void sourceChangesDuringTheTransfer_data();
    void sourceChangesDuringTheTransfer();
    void specialSourceFailsAtOnce_data();
    void specialSourceFailsAtOnce();
    void specialInfobaseFailsAtOnce();
    void oddInfobaseContent_data();
    void oddInfobaseContent();
};
