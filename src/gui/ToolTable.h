#pragma once

#include "gui/shell/ToolEntry.h"

// The tools the main window offers, in toolbar order. Adding a tool is one
// row in ToolTable.cpp and one folder beside this file.
const QList<ToolEntry> &programTools();
