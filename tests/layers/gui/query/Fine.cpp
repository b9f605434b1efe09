#include "core/support/Failure.h"
#include "gui/query/Own.h"
#include "gui/shell/ToolDialog.h"
#include <QWidget>
