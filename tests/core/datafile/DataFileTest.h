#pragma once

#include <QObject>

class DataFileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lineFormat();
    void reading_data();
    void reading();
    void latin1RoundTrip();
    void emptyFileFails();
    void missingFileFails();
    void oneRecordPerLine();
    void appendKeepsOtherBytes();
    void appendAfterUnterminatedLine();
    void appendThenRead_data();
    void appendThenRead();
    void appendCreatesFile();
    void replaceInPlace();
    void replaceRewritesCanonically();
    void addressInOtherColumnAppends();
    void failedReplaceLeavesFileWhole();
    void failedAppendLeavesFileWhole();
    void readOnlyFolderWritesInPlace();
    void unreadableFileIsNotOverwritten();
    void splitAndJoin_data();
    void splitAndJoin();
};
