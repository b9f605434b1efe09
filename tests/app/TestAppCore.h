#pragma once

#include <QObject>

// The shell's logic: INI conventions, the settings record, error reporting and
// the shared checks. The slots are defined in one file per topic.
class TestAppCore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // INI file
    void iniRead_data();
    void iniRead();
    void iniReadCutsToBuffer();
    void iniWrite_data();
    void iniWrite();
    void iniWriteToMissingFolderFails();
    void iniWriteFailureKeepsFile();

    // Settings record
    void settingsDefaultsWithoutFile();
    void settingsFieldWidths();
    void settingsEmptyDatabaseKeys();
    void saveDataFileLocationWritesArgumentsUnchanged();

    // Error log, checks, messages, trap
    void errorLogLineFormat_data();
    void errorLogLineFormat();
    void logErrorAppendsLines();
    void logErrorUnwritableLogIsQuiet();
    void validIPAddress_data();
    void validIPAddress();
    void wrongHardwareAddress_data();
    void wrongHardwareAddress();
    void sharedMessages();
    void errorTrapReports_data();
    void errorTrapReports();
    void errorTrapExpectedFailures();
    void fileDialogLoopAsksAgain();
};
