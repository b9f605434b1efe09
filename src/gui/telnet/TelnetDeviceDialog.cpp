#include "gui/telnet/TelnetDeviceDialog.h"

#include "core/session/AppContext.h"
#include "core/support/ErrorTrap.h"
#include "core/support/Prompts.h"
#include "core/support/SharedMessages.h"
#include "gui/shell/ToolWidgets.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
    const TargetFrame target = makeTargetFrame(this);
    txtIPAddress = target.address;
    auto *lblPort = named(new QLabel(QStringLiteral("Port:"), target.frame), "lblPort");
    cboPortNum = named(new QComboBox(target.frame), "cboPortNum");
    cboPortNum->setEditable(true);
    // Enter adds items by its own rule (onPortEnter), not the combo's, and
    // the port is what was typed: no completion turns "1000" into "10001".
    cboPortNum->setInsertPolicy(QComboBox::NoInsert);
    cboPortNum->setCompleter(nullptr);
    cboPortNum->addItems({QStringLiteral("9999"), QStringLiteral("10001"), QStringLiteral("10002"),
                          QStringLiteral("telnet")});
    cboPortNum->setEditText(QStringLiteral("9999"));
    target.grid->addWidget(lblPort, 1, 0);
    target.grid->addWidget(cboPortNum, 1, 1);

    cmdTelnet = toolButton(QStringLiteral("Telnet"), "cmdTelnet", this);
    stackControls(this, {target.frame}, {cmdTelnet});
}

void TelnetDeviceDialog::onTelnet()
{
    if (!checkAddressBox(txtIPAddress))
        return;
    // The address and the port each as one word without its blanks.
    const QString address = txtIPAddress->text().trimmed();
    const QString port = telnetPort(cboPortNum->currentText());
    TelnetOutcome outcome = TelnetOutcome::Started;
    const bool ran = runTrapped(
        context().paths.errorLog, context().prompts,
        QStringLiteral("cmdTelnet_Click in Telnet Device"),
        [&] { outcome = startTelnet(*context().launcher, m_folders, address, port); },
        TrapStyle::LogOnly);
    if (!ran || outcome == TelnetOutcome::Started)
        return;
    if (outcome == TelnetOutcome::TelnetNotFound)
        prompts().message(kErrorTitle, kTelnetNotFoundText, PromptIcon::None,
                          PromptButtons::OkCancel);
    else
        prompts().message(kErrorTitle, kNoTerminalText, PromptIcon::Exclamation);
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
