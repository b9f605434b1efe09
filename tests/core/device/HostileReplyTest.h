#pragma once

#include <QObject>

// What hostile peers do to the device query: replies of any length and
// content, bursts and strangers on loopback, late replies.
class HostileReplyTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replyOfAnyLength_data();
    void replyOfAnyLength();
    void onlyTheDevicesFirstReplyIsTaken();
    void replyAfterTheTimeoutIsNotSeen();
};
