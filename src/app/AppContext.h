#pragma once

#include "app/SettingsRecord.h"

#include <QString>
#include <QtGlobal>

class Prompts;

// Time values of the program; tests construct the context with shorter ones.
struct Intervals {
    int splashMs = 2000;
    int queryTimeoutMs = 10000;
    int tftpTimeoutMs = 10000;
    int pingFirstMs = 1000;
    int pingSecondMs = 2000;
    // How long a transfer looks for an acknowledgement before it sleeps in
    // the event loop (zero: it never looks); see QuickReplyWait.
    int tftpQuickAckUs = 200;
};

// Device ports; tests and the simulator use unprivileged ones.
struct DevicePorts {
    quint16 query = 30718;
    quint16 tftp = 69;
};

// Choices the download dialogs remember for the rest of the run (memory only).
struct DownloadMemory {
    QString LastFWFile;
    QString LastFWDestination;
    QString LastWebFile;
    QString LastWebDirectory;
};

// What the windows share for the whole run. One instance is made by the
// start-up routine; each test makes its own.
struct AppContext {
    QString programFolder;
    SettingsRecord settings;
    QString currentDeviceAddress;
    Prompts *prompts = nullptr;
    Intervals intervals;
    DevicePorts ports;
    DownloadMemory downloads;
};
