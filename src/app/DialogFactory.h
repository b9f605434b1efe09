#pragma once

#include "app/DialogId.h"

class QWidget;
struct AppContext;

// Creates the tool dialog for `id`, or returns nullptr while that tool has no
// dialog yet. Each tool plugs in with one line in DialogFactory.cpp.
QWidget *createToolDialog(DialogId id, AppContext &context, QWidget *parent);
