#include "core/net/Fine.h"
#include "gui/shell/MainWindow.h"
