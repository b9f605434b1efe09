#pragma once

#include <QList>
#include <QString>
#include <functional>

class QWidget;
struct AppContext;

// One tool of the main window. The main window builds its toolbar, its Tools
// and View menu items and the option hiding from a list of these, in toolbar
// order, and knows the tools by nothing else.
struct ToolEntry {
    enum class Menu { Tools, View };
    // Makes the tool's dialog, or nullptr while the tool has none. A dialog
    // may destroy itself when closed (Qt::WA_DeleteOnClose) or only hide
    // itself; one that hides must really close once the program is ending
    // (the dynamic property named by kProgramEndingProperty).
    using Create = std::function<QWidget *(AppContext &context, QWidget *parent)>;

    QString buttonKey;      // toolbar button key, compared exactly on a click
    QString toolTip;        // the button's tool tip
    QString iconFile;       // the button's picture in Graphics/, "tb_assignip.png"
    Menu menu;              // the menu that holds the item
    QString menuItem;       // the item's object name, "mnuToolsAssignIP"
    QString menuCaption;    // "&Assign IP..."
    QString separatorAfter; // object name of a separator below the item, hidden with it
    QString optionKey;      // key in section "options" of the settings file
    QString formName;       // the dialog's object name, "frmAssignIP"
    int unloadOrder;        // place in the order the dialogs close at program end
    Create create;
};
