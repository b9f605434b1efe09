// The command-line program may not use the windows.
#include "core/session/AppContext.h"
#include "gui/shell/WidgetPrompts.h"
