#pragma once

#include "core/launch/ProgramLauncher.h"
#include "core/session/SessionMemory.h"
#include "core/settings/ProgramPaths.h"
#include "core/settings/SettingsRecord.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

class Prompts;

// Every default of the program has its home here: the engines take these
// values through EngineOptions.h and keep none of their own.

// Time values of the program; tests construct the context with shorter ones.
struct Intervals {
    int splashMs = 2000;
    int queryTimeoutMs = 10000;
    // A look for devices on the segments collects replies this long
    // (cfgutil discover, and the look for devices that end like a new one's
    // hardware address before any IP-SETUP).
    int discoveryTimeoutMs = 2000;
    // The doctor's query of one device: a quick look, not Query Device's wait.
    int quickQueryTimeoutMs = 2000;
    // After the first device answers at an address, the others that hold it
    // get this long to answer too.
    int holdersSettleMs = 1000;
    // Is a new address in use? The probe's echo request and device query
    // wait this long for their answers.
    int probeMs = 1000;
    // After IP-SETUP (cfgutil assign, commissioning) the new address is
    // queried this often until the device answers there, for at most
    // assignConfirmMs.
    int confirmPollMs = 250;
    int assignConfirmMs = 10000;
    // After an upload the device restarts: it is queried this often until it
    // answers as expected, for at most comeBackMs.
    int comeBackPollMs = 500;
    int comeBackMs = 60000;
    int tftpTimeoutMs = 10000;
    // A TFTP data packet whose acknowledgement has not come this long is sent again.
    int tftpRetransmitMs = 1000;
    int pingFirstMs = 1000;  // the wait for each echo reply
    int pingSecondMs = 2000; // the pause between echo requests
    // How long the firewall rules may take to be listed.
    int firewallListMs = 5000;
};

// Device ports; tests and the simulator use unprivileged ones.
struct DevicePorts {
    quint16 query = 30718; // the device query and IP-SETUP
    quint16 tftp = 69;
};

// Sizes and counts.
struct Limits {
    int pingDataBytes = 32; // in each echo request
    // Ping Device (and cfgutil ping without -c) stops after this many
    // replies, or this many time-outs.
    int pingDeviceLimit = 4;
    // Does an address answer a ping (cfgutil doctor)? One reply within this
    // many echo requests says so; the second covers a first one lost to
    // address resolution.
    int probeEchoes = 2;
    // A TFTP data packet is sent again at most this many times.
    int tftpResends = 5;
    // Hundreds of devices answer a discovery within milliseconds of each
    // other; zero leaves the system's receive buffer as it is.
    int discoveryReceiveBufferBytes = 4 * 1024 * 1024;
    // cfgutil commission without --jobs: as many devices at a time as the
    // plan allows, up to this many.
    int commissionJobs = 64;
    // IP-SETUP broadcasts a second across a whole commissioning run, however
    // many devices run, so that their segment is not flooded.
    int ipSetupPerSecond = 50;
};

// The configuration and the state that the front ends share for the whole
// run: the settings, time values, ports and counts, the Current device address and
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
    Limits limits;
    // What single tools remember for the rest of the run; each tool keeps
    // its own type here, next to its code.
    SessionMemory memory;
};
