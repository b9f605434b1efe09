#include "core/support/Failure.h"
#include "gui/query/QueryDeviceDialog.h"
