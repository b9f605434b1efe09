#pragma once

#include "app/DialogId.h"

// The eight tools that the main window offers, in toolbar order: the button's
// key and tool tip, the menu item that does the same, the key in section
// "options" that can take the tool away, and the dialog it shows.
struct ToolEntry {
    const char *buttonKey;
    const char *toolTip;
    const char *menuItem;
    const char *optionKey;
    DialogId dialog;
};

inline constexpr ToolEntry kTools[] = {
    {"Assign IP", "Assign IP", "mnuToolsAssignIP", "AssignIP", DialogId::AssignIP},
    {"Ping", "Ping Device", "mnuToolsPingDevice", "PingDevice", DialogId::PingDevice},
    {"Query", "Query Device", "mnuToolsQueryDevice", "QueryDevice", DialogId::QueryDevice},
    {"Load FW", "Load Firmware", "mnuToolsLoadFirmware", "LoadFirmware", DialogId::LoadFirmware},
    {"Load Web", "Load WebPages", "mnuToolsLoadWebPages", "LoadWebpages", DialogId::LoadWebPages},
    {"Telnet", "Telnet to Device", "mnuToolsTelnetDevice", "TelnetDevice", DialogId::TelnetDevice},
    {"Web Config", "Web Configuration", "mnuToolsWebConfiguration", "WebConfiguration",
     DialogId::WebConfig},
    {"View File", "View Data File", "mnuViewDataFile", "ViewDataFile", DialogId::DataFile},
};
