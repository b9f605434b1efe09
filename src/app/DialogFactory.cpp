#include "app/DialogFactory.h"

#include "download/LoadFirmwareDialog.h"
#include "download/LoadWebPagesDialog.h"
#include "query/DataFileViewer.h"
#include "query/QueryDeviceDialog.h"

#include <QWidget>

QWidget *createToolDialog(DialogId id, AppContext &context, QWidget *parent)
{
    switch (id) {
    case DialogId::LoadFirmware: return new LoadFirmwareDialog(context, parent);
    case DialogId::LoadWebPages: return new LoadWebPagesDialog(context, parent);
    case DialogId::QueryDevice: return new QueryDeviceDialog(context, parent);
    case DialogId::DataFile: return new DataFileViewer(context, parent);
    default:
        break;
    }
    Q_UNUSED(context)
    Q_UNUSED(parent)
    return nullptr;
}
