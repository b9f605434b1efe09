#pragma once

#include <QObject>

// Ping Device, Telnet to Device and Web Configuration, driven the way a user
// does; ICMP to loopback and to namespaces of the tests' own, outside programs
// as stand-ins in a temporary desktop.
class TestToolDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // InvalidAddressTest.cpp: these three and Query Device
    void invalidAddressRefused_data();
    void invalidAddressRefused();

    // PingDialogTests.cpp
    void pingLinesFromControlEvents_data();
    void pingLinesFromControlEvents();
    void pingStartFailureThenKeyEmpties();
    void pingLoopbackFourReplies();
    void pingSilentAddressTimesOut();

    // TelnetDialogTests.cpp
    void telnetSession();
    void telnetArgumentsAsTyped_data();
    void telnetArgumentsAsTyped();
    void telnetCannotStart_data();
    void telnetCannotStart();

    // WebConfigDialogTests.cpp
    void browserGetsTheAddress();
    void browserFailures_data();
    void browserFailures();
};
