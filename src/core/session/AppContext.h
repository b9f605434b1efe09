#pragma once

#include "core/launch/ProgramLauncher.h"
#include "core/session/SessionMemory.h"
#include "core/settings/ProgramPaths.h"
#include "core/settings/SettingsRecord.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

class Prompts;

// Time values of the program; tests construct the context with shorter ones.
struct Intervals {
    int splashMs = 2000;
    int queryTimeoutMs = 10000;
    int tftpTimeoutMs = 10000;
    // A TFTP data packet whose acknowledgement has not come this long is sent again.
    int tftpRetransmitMs = 1000;
    int pingFirstMs = 1000;
    int pingSecondMs = 2000;
};

// Device ports; tests and the simulator use unprivileged ones.
struct DevicePorts {
    quint16 query = 30718;
    quint16 tftp = 69;
};

// The configuration and the state that the front ends share for the whole
// run: the settings, time values and ports, the Current device address and
// the prompts and launcher seams. One instance is made at start-up; each test makes its
// own, so nothing carries over between tests.
struct AppContext {
    // Where the settings, pictures, error log and the user's files are.
    ProgramPaths paths;
    SettingsRecord settings;
    QString currentDeviceAddress;
    // A hardware address handed to Assign IP by the tool that found the
    // device; Assign IP takes it (and empties it) when it is shown.
    QString assignHardwareAddress;
    // What "every interface" means to a device search from the windows:
    // empty for every interface that can broadcast. Tests name interfaces of
    // their own, so that no search they start reaches this host's networks.
    QStringList everyInterface;
    Prompts *prompts = nullptr;
    ProgramLauncher *launcher = &systemLauncher();
    Intervals intervals;
    DevicePorts ports;
    // What single tools remember for the rest of the run; each tool keeps
    // its own type here, next to its code.
    SessionMemory memory;
};
