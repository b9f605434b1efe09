#pragma once

#include <QObject>

// What odd files do to the data file logic: junk, huge lines and special
// file types.
class HostileInputTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void randomBytesReadWithoutHarm();
    void hugeInputsReadInLinearTime_data();
    void hugeInputsReadInLinearTime();
    void specialFilesFailAtOnce_data();
    void specialFilesFailAtOnce();
};
