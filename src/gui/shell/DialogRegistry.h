#pragma once

#include "gui/shell/ToolEntry.h"

#include <QMap>
#include <QPointer>
#include <QString>
#include <QWidget>

struct AppContext;

// Name of the dynamic property set to true on a dialog just before the program
// closes it for good. A dialog that only hides itself when the user closes it
// must really close when it sees this property.
inline constexpr char kProgramEndingProperty[] = "programEnding";

// The dialogs of the main window, each at most once, by form name. A dialog
// may destroy itself when closed (Qt::WA_DeleteOnClose) or merely hide itself;
// both are handled: a destroyed one is made again, a hidden one is shown again.
class DialogRegistry {
public:
    DialogRegistry(AppContext &context, QWidget *parent);

    // Brings the tool's open dialog to the front, or makes and shows it.
    // Returns the dialog, or nullptr when the tool has none.
    QWidget *show(const ToolEntry &tool);

    // Records a dialog made elsewhere (the modal About box) so that closeAll
    // closes it too, at its place in the unload order.
    void adopt(const QString &formName, int unloadOrder, QWidget *dialog);

    // The dialog of this form name while it exists, else nullptr.
    QWidget *dialog(const QString &formName) const;

    // Closes and releases every dialog in unload order, skipping the ones that
    // do not exist. A failure in one step does not stop the next.
    void closeAll();

private:
    struct Slot {
        int unloadOrder = 0;
        QPointer<QWidget> dialog;
        bool deletesOnClose = false;
    };

    AppContext &m_context;
    QWidget *m_parent;
    QMap<QString, Slot> m_slots;
};
