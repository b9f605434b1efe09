#pragma once

#include "app/DialogId.h"

class QWidget;
struct AppContext;

// Creates the tool dialog for `id`, or returns nullptr while that tool has no
// dialog yet. Each tool plugs in with one line in DialogFactory.cpp.
//
// The main window keeps each dialog at most once and shows the open one again
// when it is chosen. A dialog may destroy itself when closed
// (Qt::WA_DeleteOnClose) or only hide itself. At program end the main window
// sets the dynamic property "programEnding" (ToolDialog::programEnding()) to
// true, closes the dialog and then deletes it: a dialog that hides on a user
// close must close for good when that property is set.
QWidget *createToolDialog(DialogId id, AppContext &context, QWidget *parent);
