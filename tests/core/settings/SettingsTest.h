#pragma once

#include <QObject>

// The settings file and record: INI conventions, field widths, defaults.
class SettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // INI file
    void iniRead_data();
    void iniRead();
    void iniReadCutsToBuffer();
    void iniReadOnceUntilWritten();
    void iniWrite_data();
    void iniWrite();
    void iniWriteValueReadsBack_data();
    void iniWriteValueReadsBack();
    void iniWriteToMissingFolderFails();
    void iniWriteInReadOnlyFolder();
    void iniWriteFailureKeepsFile();

    // Settings record
    void settingsDefaultsWithoutFile();
    void settingsFieldWidths();
    void settingsEmptyDatabaseKeys();
    void saveDataFileLocationWritesArgumentsUnchanged();
};
