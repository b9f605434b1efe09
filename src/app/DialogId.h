#pragma once

// The dialogs the main window opens, in the order UnloadAllForms closes them.
enum class DialogId {
    About,
    AssignIP,
    DataFile,
    LoadFirmware,
    LoadWebPages,
    PingDevice,
    QueryDevice,
    TelnetDevice,
    WebConfig,
};
