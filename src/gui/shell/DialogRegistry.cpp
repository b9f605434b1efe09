#include "gui/shell/DialogRegistry.h"

#include <algorithm>

DialogRegistry::DialogRegistry(AppContext &context, QWidget *parent)
    : m_context(context), m_parent(parent)
{
}

QWidget *DialogRegistry::show(const ToolEntry &tool)
{
    Slot &slot = m_slots[tool.formName];
    slot.unloadOrder = tool.unloadOrder;
    // A self-deleting dialog whose attribute is gone has been closed and waits
    // for its deferred deletion (closing clears the attribute, hence the
    // remembered flag): it counts as gone. One that is merely hidden (its
    // Cancel) still has the attribute and is shown again.
    if (slot.dialog && slot.deletesOnClose && !slot.dialog->testAttribute(Qt::WA_DeleteOnClose))
        slot.dialog = nullptr;
    if (!slot.dialog) {
        if (!tool.create)
            return nullptr;
        slot.dialog = tool.create(m_context, m_parent);
        if (!slot.dialog)
            return nullptr;
    }
    slot.deletesOnClose = slot.dialog->testAttribute(Qt::WA_DeleteOnClose);
    slot.dialog->show();
    slot.dialog->raise();
    slot.dialog->activateWindow();
    return slot.dialog;
}

void DialogRegistry::adopt(const QString &formName, int unloadOrder, QWidget *dialog)
{
    Slot &slot = m_slots[formName];
    slot.unloadOrder = unloadOrder;
    slot.dialog = dialog;
    slot.deletesOnClose = dialog && dialog->testAttribute(Qt::WA_DeleteOnClose);
}

QWidget *DialogRegistry::dialog(const QString &formName) const
{
    return m_slots.value(formName).dialog;
}

void DialogRegistry::closeAll()
{
    QList<Slot> ordered = m_slots.values();
    m_slots.clear();
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Slot &a, const Slot &b) { return a.unloadOrder < b.unloadOrder; });
    for (const Slot &slot : ordered) {
        QPointer<QWidget> dialog = slot.dialog;
        if (!dialog)
            continue;
        try {
            dialog->setProperty(kProgramEndingProperty, true);
            dialog->close();
        } catch (...) {
            // The program is ending: a dialog that fails to close is released anyway.
        }
        if (dialog)
            dialog->deleteLater();
    }
}
