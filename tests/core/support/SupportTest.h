#pragma once

#include <QObject>

// Error reporting and the shared checks: the error log, the address checks,
// the shared messages, the error trap and the file-dialog loop.
class SupportTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
