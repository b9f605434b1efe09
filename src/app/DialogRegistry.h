#pragma once

#include "app/DialogId.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>

struct AppContext;

// Makes the dialog of an id (nullptr while a tool has none); createToolDialog
// in production, stand-ins in tests.
using DialogFactoryFunction = std::function<QWidget *(DialogId, AppContext &, QWidget *)>;

// Name of the dynamic property set to true on a dialog just before the program
// closes it for good. A dialog that only hides itself when the user closes it
// must really close when it sees this property.
inline constexpr char kProgramEndingProperty[] = "programEnding";

// The dialogs of the main window, each at most once. A dialog may destroy
// itself when closed (Qt::WA_DeleteOnClose) or merely hide itself; both are
// handled: a destroyed one is made again, a hidden one is shown again.
class DialogRegistry {
public:
    DialogRegistry(AppContext &context, QWidget *parent, DialogFactoryFunction factory);

    // Brings the open dialog to the front, or makes and shows it. Returns the
    // dialog, or nullptr when the factory has none for this id.
    QWidget *show(DialogId id);

    // Records a dialog made elsewhere (the modal About box) so that closeAll
    // closes it too.
    void adopt(DialogId id, QWidget *dialog);

    // The dialog of this id while it exists, else nullptr.
    QWidget *dialog(DialogId id) const;

    // Closes and releases every dialog in DialogId order, skipping the ones that
    // do not exist. A failure in one step does not stop the next.
    void closeAll();

private:
    static constexpr int kCount = int(DialogId::WebConfig) + 1;

    AppContext &m_context;
    QWidget *m_parent;
    DialogFactoryFunction m_factory;
    std::array<QPointer<QWidget>, kCount> m_dialogs;
    std::array<bool, kCount> m_deletesOnClose{};
};
