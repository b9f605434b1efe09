#include "gui/ToolTable.h"

#include "gui/assign/AssignIPDialog.h"
#include "gui/datafile/DataFileViewer.h"
#include "gui/discover/FindDevicesDialog.h"
#include "gui/download/LoadFirmwareDialog.h"
#include "gui/download/LoadWebPagesDialog.h"
#include "gui/ping/PingDeviceDialog.h"
#include "gui/query/QueryDeviceDialog.h"
#include "gui/telnet/TelnetDeviceDialog.h"
#include "gui/webconfig/WebConfigDialog.h"

namespace {

template <typename Dialog> QWidget *make(AppContext &context, QWidget *parent)
{
    return new Dialog(context, parent);
}

} // namespace

const QList<ToolEntry> &programTools()
{
    using M = ToolEntry::Menu;
    // The About box closes first at program end (order 0); the tools follow.
    static const QList<ToolEntry> tools = {
        {"Assign IP", "Assign IP", "tb_assignip.png", M::Tools, "mnuToolsAssignIP", "&Assign IP...",
         "", "AssignIP", "frmAssignIP", 1, make<AssignIPDialog>},
        {"Ping", "Ping Device", "tb_ping.png", M::Tools, "mnuToolsPingDevice", "&Ping Device...",
         "", "PingDevice", "frmPingDevice", 5, make<PingDeviceDialog>},
        {"Query", "Query Device", "tb_query.png", M::Tools, "mnuToolsQueryDevice",
         "&Query Device...", "", "QueryDevice", "frmQueryDevice", 6, make<QueryDeviceDialog>},
        {"Load FW", "Load Firmware", "tb_loadfw.png", M::Tools, "mnuToolsLoadFirmware",
         "Load &Firmware...", "", "LoadFirmware", "frmLoadFirmware", 3, make<LoadFirmwareDialog>},
        {"Load Web", "Load WebPages", "tb_loadweb.png", M::Tools, "mnuToolsLoadWebPages",
         "Load &WebPages...", "", "LoadWebpages", "frmLoadWebPages", 4, make<LoadWebPagesDialog>},
        {"Telnet", "Telnet to Device", "tb_telnet.png", M::Tools, "mnuToolsTelnetDevice",
         "&Telnet to Device...", "", "TelnetDevice", "frmTelnetDevice", 7,
         make<TelnetDeviceDialog>},
        {"Web Config", "Web Configuration", "tb_webconfig.png", M::Tools,
         "mnuToolsWebConfiguration", "Web &Configuration...", "", "WebConfiguration",
         "frmWebConfig", 8, make<WebConfigDialog>},
        {"View File", "View Data File", "tb_viewfile.png", M::View, "mnuViewDataFile", "&Data File",
         "mnuViewBar0", "ViewDataFile", "frmDataFile", 2, make<DataFileViewer>},
        {"Find Devices", "Find Devices", "tb_finddevices.png", M::Tools, "mnuToolsFindDevices",
         "Find &Devices...", "", "FindDevices", "frmFindDevices", 9, make<FindDevicesDialog>},
    };
    return tools;
}
