#pragma once

#include <QObject>

class DataFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lineFormat();
    void reading_data();
    void reading();
    void latin1RoundTrip();
    void unreadableFilesFail();
    void oneRecordPerLine();
    void saveBytes_data();
    void saveBytes();
    void appendThenRead_data();
    void appendThenRead();
    void failedSaveLeavesFileWhole_data();
    void failedSaveLeavesFileWhole();
    void readOnlyFolderWritesInPlace();
    void unreadableFileIsNotOverwritten();
    void splitAndJoin_data();
    void splitAndJoin();
};
