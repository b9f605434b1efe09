#pragma once

#include <QObject>

// What hostile peers and odd files do to the query logic: replies of any
// length and content, bursts and strangers on loopback, late replies, data
// files with junk, huge lines and special file types.
class HostileInputTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replyOfAnyLength_data();
    void replyOfAnyLength();
    void onlyTheDevicesFirstReplyIsTaken();
    void replyAfterTheTimeoutIsNotSeen();
    void oddDataFileContent_data();
    void oddDataFileContent();
    void randomBytesReadWithoutHarm();
    void hugeInputsReadInLinearTime_data();
    void hugeInputsReadInLinearTime();
    void specialFilesFailAtOnce_data();
    void specialFilesFailAtOnce();
};
