#include "gui/assign/AssignIPDialog.h"

#include "core/device/IpSetupExchange.h"
#include "core/session/AppContext.h"
#include "core/support/AddressChecks.h"
#include "core/support/ErrorTrap.h"
#include "gui/assign/AssignMessages.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

AssignIPDialog::AssignIPDialog(AppContext &context, QWidget *parent,
                               PingControl::SocketOpener icmpOpener)
    : ToolDialog(context, QStringLiteral("frmAssignIP"), QStringLiteral("Assign IP Address"),
                 parent),
      Ping1(new PingControl(this, std::move(icmpOpener)))
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    ip->setText(context.currentDeviceAddress);
    cmdAssign->setEnabled(true);

    Ping1->setObjectName(QStringLiteral("Ping1"));
    Ping1->setStartOption(true);
    Ping1->setDataSize(32);
    Ping1->setEnabled(false);
    Ping1->setFurtherOption(false);
    Ping1->setSecondTimeValue(context.intervals.pingSecondMs);

    connect(cmdAssign, &QPushButton::clicked, this, &AssignIPDialog::onAssign);
    connect(Ping1, &PingControl::replyReceived, this, &AssignIPDialog::onReply);
    connect(Ping1, &PingControl::replyTimedOut, this, &AssignIPDialog::onTimedOut);
    onEnter(ip, [this] { onIpEnter(); });
    onEnter(txtHardware, [this] { onHardwareEnter(); });
}

void AssignIPDialog::buildControls()
{
    fraSetip = new QGroupBox(QStringLiteral("Target"));
    fraSetip->setObjectName(QStringLiteral("fraSetip"));
    lblIPAddress = new QLabel(QStringLiteral("Enter IP Address to assign (decimal dot notation)"));
    lblIPAddress->setObjectName(QStringLiteral("lblIPAddress"));
    ip = new QLineEdit;
    ip->setObjectName(QStringLiteral("ip"));
    lblMacAddress = new QLabel(
        QStringLiteral("Enter the Hardware or Ethernet Address (e.g. 02-00-00-14-01-18)"));
    lblMacAddress->setObjectName(QStringLiteral("lblMacAddress"));
    txtHardware = new QLineEdit;
    txtHardware->setObjectName(QStringLiteral("txtHardware"));
    cmdAssign = new QPushButton(QStringLiteral("Set IP Address"));
    cmdAssign->setObjectName(QStringLiteral("cmdAssign"));
    // Enter in the boxes is handled there; the button is pressed only on purpose.
    cmdAssign->setAutoDefault(false);

    auto *target = new QVBoxLayout(fraSetip);
    target->addWidget(lblIPAddress);
    target->addWidget(ip);
    target->addWidget(lblMacAddress);
    target->addWidget(txtHardware);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdAssign);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraSetip);
    layout->addLayout(buttons);
    setTabOrder(ip, txtHardware);
    setTabOrder(txtHardware, cmdAssign);
}

void AssignIPDialog::onIpEnter()
{
    if (checkAddressBox(ip))
        txtHardware->setFocus();
}

void AssignIPDialog::onHardwareEnter()
{
    // A wrong hardware address keeps its text, so it can be corrected.
    if (IsWrongHardwareAddress(prompts(), txtHardware->text())) {
        txtHardware->setFocus();
        return;
    }
    if (checkAddressBox(ip))
        cmdAssign->setFocus();
}

void AssignIPDialog::onAssign()
{
    const QString typed = ip->text();
    if (!checkAddressBox(ip))
        return;
    if (IsWrongHardwareAddress(prompts(), txtHardware->text())) {
        txtHardware->clear();
        txtHardware->setFocus();
        return;
    }
    const QString hardware = txtHardware->text().toUpper();
    setBusy(true);
    // The datagram carries the address as typed; the pings go to the trimmed one.
    const IpSetupOutcome outcome = set_tmx_ip(typed, hardware, context().ports.query);
    if (!outcome.sent()) {
        reportIpSetupFailure(context(), outcome);
        stopPinging();
        return;
    }
    // Pressed again while pinging: the control restarts with fresh counts.
    if (!runTrapped(
            context().paths.errorLog, context().prompts,
            QStringLiteral("cmdAssign_Click in Assign IP"), [this] { startPinging(); },
            TrapStyle::Connecting))
        stopPinging();
}

void AssignIPDialog::startPinging()
{
    m_confirmation.start();
    Ping1->setTargetHost(context().currentDeviceAddress);
    Ping1->setFirstTimeValue(context().intervals.pingFirstMs);
    Ping1->setStartOption(true);
    Ping1->setEnabled(true);
}

void AssignIPDialog::onReply()
{
    const auto verdict = m_confirmation.replyReceived(Ping1->echoCount(), Ping1->replyCount());
    if (verdict == AssignConfirmation::Verdict::Pending)
        return;
    // Stopped before any box, so no ping event arrives while it is open.
    stopPinging();
    if (verdict == AssignConfirmation::Verdict::Succeeded)
        showAssignSucceeded(prompts());
}

void AssignIPDialog::onTimedOut()
{
    if (m_confirmation.replyTimedOut(Ping1->echoCount()) != AssignConfirmation::Verdict::Failed)
        return;
    stopPinging();
    showAssignFailed(prompts());
}

void AssignIPDialog::stopPinging()
{
    setBusy(false);
    Ping1->setEnabled(false);
    Ping1->setResetRequest(true);
}

void AssignIPDialog::closeEvent(QCloseEvent *event)
{
    stopPinging();
    ToolDialog::closeEvent(event);
}
