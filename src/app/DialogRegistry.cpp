#include "app/DialogRegistry.h"

DialogRegistry::DialogRegistry(AppContext &context, QWidget *parent, DialogFactoryFunction factory)
    : m_context(context), m_parent(parent), m_factory(std::move(factory))
{
}

QWidget *DialogRegistry::show(DialogId id)
{
    QPointer<QWidget> &slot = m_dialogs[std::size_t(id)];
    // A self-deleting dialog that is hidden has been closed and waits for its
    // deferred deletion (closing clears the attribute, hence the remembered
    // flag): it counts as gone.
    if (slot && m_deletesOnClose[std::size_t(id)] && slot->isHidden())
        slot = nullptr;
    if (!slot) {
        if (!m_factory)
            return nullptr;
        slot = m_factory(id, m_context, m_parent);
        if (!slot)
            return nullptr;
    }
    m_deletesOnClose[std::size_t(id)] = slot->testAttribute(Qt::WA_DeleteOnClose);
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot;
}

void DialogRegistry::adopt(DialogId id, QWidget *dialog)
{
    m_dialogs[std::size_t(id)] = dialog;
    m_deletesOnClose[std::size_t(id)] = dialog && dialog->testAttribute(Qt::WA_DeleteOnClose);
}

QWidget *DialogRegistry::dialog(DialogId id) const
{
    return m_dialogs[std::size_t(id)];
}

void DialogRegistry::closeAll()
{
    for (QPointer<QWidget> &slot : m_dialogs) {
        QPointer<QWidget> dialog = slot;
        slot = nullptr;
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
