#include "gui/shell/ToolDialog.h"

#include "core/session/AppContext.h"
#include "core/support/AddressChecks.h"
#include "core/support/SharedMessages.h"

#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>

ToolDialog::ToolDialog(AppContext &context, const QString &objectName, const QString &caption,
                       QWidget *parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(false);
    // A missing or unreadable picture gives a null icon: the dialog goes on without it.
    const QIcon icon(context.paths.picture(context.settings.TitleBarIcon));
    if (!icon.isNull())
        setWindowIcon(icon);
}

Prompts &ToolDialog::prompts() const
{
    return *m_context.prompts;
}

void ToolDialog::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

void ToolDialog::onEnter(QWidget *widget, std::function<void()> handler)
{
    m_enterHandlers.insert(widget, std::move(handler));
    widget->installEventFilter(this);
}

void ToolDialog::onAnyKey(QWidget *widget, std::function<void()> handler)
{
    m_anyKeyHandlers.insert(widget, std::move(handler));
    widget->installEventFilter(this);
}

bool ToolDialog::checkAddressBox(QLineEdit *box, bool storeAsCurrent)
{
    if (IsValidIPAddress(box->text())) {
        if (storeAsCurrent)
            m_context.currentDeviceAddress = box->text().trimmed();
        return true;
    }
    ShowInvalidIPAddressMessage(prompts());
    box->clear();
    box->setFocus();
    return false;
}

void ToolDialog::followCurrentAddress(QLineEdit *box)
{
    m_followingBox = box;
}

bool ToolDialog::event(QEvent *event)
{
    if (m_followingBox) {
        const bool shown = event->type() == QEvent::Show;
        const bool changed = event->type() == QEvent::WindowActivate &&
                             m_context.currentDeviceAddress != m_addressShown;
        if (shown || changed) {
            m_addressShown = m_context.currentDeviceAddress;
            m_followingBox->setText(m_addressShown);
        }
    }
    return QDialog::event(event);
}

bool ToolDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (auto any = m_anyKeyHandlers.constFind(watched); any != m_anyKeyHandlers.constEnd())
            (*any)();
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter) {
            if (auto it = m_enterHandlers.constFind(watched); it != m_enterHandlers.constEnd()) {
                (*it)();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}
