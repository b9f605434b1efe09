#pragma once

#include <QDialog>
#include <QHash>
#include <QVariant>
#include <functional>

struct AppContext;
class Prompts;
class QKeyEvent;
class QLineEdit;

// Base of the modeless tool dialogs: window icon from the settings, the busy
// pointer while network activity runs, and the Enter-key and any-key hooks
// that the address boxes use.
class ToolDialog : public QDialog {
    Q_OBJECT
public:
    ToolDialog(AppContext &context, const QString &objectName, const QString &caption,
               QWidget *parent = nullptr);

    // True once the main window is closing this dialog for good at program end
    // (dynamic property "programEnding"). A dialog that only hides itself on a
    // user close must really close when this is set.
    bool programEnding() const { return property("programEnding").toBool(); }

protected:
    AppContext &context() const { return m_context; }
    Prompts &prompts() const;

    // Hourglass over this dialog while network activity runs.
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }

    // Runs `handler` when Enter is pressed in `widget`; the key is swallowed, so
    // it never reaches the dialog's default button.
    void onEnter(QWidget *widget, std::function<void()> handler);
    // Runs `handler` for every key pressed in `widget`, before the key is handled.
    void onAnyKey(QWidget *widget, std::function<void()> handler);

    // The address-box check: IsValidIPAddress on the text as typed. On success
    // the trimmed text becomes the Current device address when `storeAsCurrent`;
    // on failure the invalid-address message is shown and the box emptied and
    // focused. Returns whether the address passed.
    bool checkAddressBox(QLineEdit *box, bool storeAsCurrent = true);

    // Shows the Current device address in `box` whenever the dialog is shown,
    // and on activation only when the address has changed since this dialog
    // last showed it: an address entered in another dialog appears here, while
    // one the user typed here survives message boxes, file dialogs and
    // switching to other programs.
    void followCurrentAddress(QLineEdit *box);

    bool event(QEvent *event) override;
    // No button is a default button (Enter in a text box runs that box's
    // check), yet Enter on a focused button presses it.
    void keyPressEvent(QKeyEvent *event) override;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppContext &m_context;
    bool m_busy = false;
    QLineEdit *m_followingBox = nullptr;
    QString m_addressShown; // the Current device address when the box last took it
    QHash<QObject *, std::function<void()>> m_enterHandlers;
    QHash<QObject *, std::function<void()>> m_anyKeyHandlers;
};
