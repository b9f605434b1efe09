#include "gui/telnet/TelnetDeviceDialog.h"

#include "core/session/AppContext.h"
#include "core/support/ErrorTrap.h"
#include "core/support/Prompts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

const QString TelnetDeviceDialog::kTelnetNotFoundText =
    QStringLiteral("Windows 'Telnet.exe' file not found in the \r\n"
                   "Windows directory or Windows system directory!\r\n"
                   "This feature requires that program to run.");
const QString TelnetDeviceDialog::kNoTerminalText =
    QStringLiteral("No terminal program was found to run telnet in.\r\n"
                   "Install a terminal emulator, for example the xterm package.");

TelnetDeviceDialog::TelnetDeviceDialog(AppContext &context, QWidget *parent)
    : ToolDialog(context, QStringLiteral("frmTelnetDevice"), QStringLiteral("Telnet to Device"),
                 parent),
      m_folders{context.settings.SystemDirectory, context.settings.WindowsDirectory,
                context.settings.SystemDirectory}
{
    buildControls();
    followCurrentAddress(txtIPAddress);
    connect(cmdTelnet, &QPushButton::clicked, this, &TelnetDeviceDialog::onTelnet);
    onEnter(txtIPAddress, [this] {
        if (checkAddressBox(txtIPAddress, false))
            cboPortNum->setFocus();
    });
    onEnter(cboPortNum, [this] { onPortEnter(); });
}

void TelnetDeviceDialog::buildControls()
{
    auto *fraTarget = new QGroupBox(QStringLiteral("Target"), this);
    fraTarget->setObjectName(QStringLiteral("fraTarget"));
    auto *lblIPAddress = new QLabel(QStringLiteral("Enter IP Address:"), fraTarget);
    lblIPAddress->setObjectName(QStringLiteral("lblIPAddress"));
    txtIPAddress = new QLineEdit(fraTarget);
    txtIPAddress->setObjectName(QStringLiteral("txtIPAddress"));
    auto *lblPort = new QLabel(QStringLiteral("Port:"), fraTarget);
    lblPort->setObjectName(QStringLiteral("lblPort"));
    cboPortNum = new QComboBox(fraTarget);
    cboPortNum->setObjectName(QStringLiteral("cboPortNum"));
    cboPortNum->setEditable(true);
    // Enter adds items by its own rule (onPortEnter), not the combo's.
    cboPortNum->setInsertPolicy(QComboBox::NoInsert);
    cboPortNum->addItems({QStringLiteral("9999"), QStringLiteral("10001"), QStringLiteral("10002"),
                          QStringLiteral("telnet")});
    cboPortNum->setEditText(QStringLiteral("9999"));
    auto *grid = new QGridLayout(fraTarget);
    grid->addWidget(lblIPAddress, 0, 0);
    grid->addWidget(txtIPAddress, 0, 1);
    grid->addWidget(lblPort, 1, 0);
    grid->addWidget(cboPortNum, 1, 1);

    cmdTelnet = new QPushButton(QStringLiteral("Telnet"), this);
    cmdTelnet->setObjectName(QStringLiteral("cmdTelnet"));
    cmdTelnet->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdTelnet);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraTarget);
    layout->addLayout(buttons);
}

void TelnetDeviceDialog::onTelnet()
{
    if (!checkAddressBox(txtIPAddress))
        return;
    // The address as one word without its blanks; the port exactly as typed.
    const QString address = txtIPAddress->text().trimmed();
    const QString port =
        cboPortNum->currentText().isEmpty() ? QStringLiteral("23") : cboPortNum->currentText();
    TelnetOutcome outcome = TelnetOutcome::Started;
    const bool ran = runTrapped(
        context(), QStringLiteral("cmdTelnet_Click in Telnet Device"),
        [&] { outcome = startTelnet(*context().launcher, m_folders, address, port); },
        TrapStyle::LogOnly);
    if (!ran || outcome == TelnetOutcome::Started)
        return;
    if (outcome == TelnetOutcome::TelnetNotFound)
        prompts().message(QStringLiteral("Error Condition"), kTelnetNotFoundText, PromptIcon::None,
                          PromptButtons::OkCancel);
    else
        prompts().message(QStringLiteral("Error Condition"), kNoTerminalText,
                          PromptIcon::Exclamation);
}

void TelnetDeviceDialog::onPortEnter()
{
    const QString text = cboPortNum->currentText();
    if (cboPortNum->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        cboPortNum->addItem(text);
    cmdTelnet->setFocus();
}

void TelnetDeviceDialog::closeEvent(QCloseEvent *event)
{
    // A user's close only hides the dialog; the program's end closes it.
    if (programEnding()) {
        event->accept();
        return;
    }
    event->ignore();
    txtIPAddress->setFocus();
    hide();
}
