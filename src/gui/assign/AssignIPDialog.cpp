#include "gui/assign/AssignIPDialog.h"

#include "core/device/AddressAssignment.h"
#include "core/device/AddressText.h"
#include "core/device/IpSetupExchange.h"
#include "core/session/EngineOptions.h"
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
#include <utility>

AssignIPDialog::AssignIPDialog(AppContext &context, QWidget *parent,
                               PingControl::SocketOpener icmpOpener)
    : ToolDialog(context, QStringLiteral("frmAssignIP"), QStringLiteral("Assign IP Address"),
                 parent),
      m_assignment(new AddressAssignment(context.ports.query, pingOptions(context), this,
                                         std::move(icmpOpener)))
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    ip->setText(context.currentDeviceAddress);
    cmdAssign->setEnabled(true);
    ping().setObjectName(QStringLiteral("Ping1"));

    connect(cmdAssign, &QPushButton::clicked, this, &AssignIPDialog::onAssign);
    connect(m_assignment, &AddressAssignment::finished, this, &AssignIPDialog::onVerdict);
    onEnter(ip, [this] { onIpEnter(); });
    onEnter(txtHardware, [this] { onHardwareEnter(); });
}

PingControl &AssignIPDialog::ping() const
{
    return m_assignment->control();
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
    const QString hardware = upperCaseHardwareText(txtHardware->text());
    setBusy(true);
    // The datagram carries the address as typed; the pings go to the trimmed
    // one. Pressed again while pinging, the pinging starts afresh. The trap
    // reports pings that cannot start (the datagram has gone then).
    IpSetupOutcome outcome;
    if (!runTrapped(
            context().paths.errorLog, context().prompts,
            QStringLiteral("cmdAssign_Click in Assign IP"),
            [&] { outcome = m_assignment->start(typed, hardware, true); }, TrapStyle::Connecting))
        return stopPinging();
    if (!outcome.sent()) {
        reportIpSetupFailure(context(), outcome);
        stopPinging();
    }
}

void AssignIPDialog::onVerdict(AssignConfirmation::Verdict verdict)
{
    // Stopped before any box, so no ping event arrives while it is open.
    stopPinging();
    if (verdict == AssignConfirmation::Verdict::Succeeded)
        showAssignSucceeded(prompts());
    else if (verdict == AssignConfirmation::Verdict::Failed)
        showAssignFailed(prompts());
}

void AssignIPDialog::stopPinging()
{
    setBusy(false);
    m_assignment->stop();
}

bool AssignIPDialog::event(QEvent *event)
{
    const bool handled = ToolDialog::event(event);
    const bool shown = event->type() == QEvent::Show || event->type() == QEvent::WindowActivate;
    if (shown && !context().assignHardwareAddress.isEmpty())
        takeHardwareAddress();
    return handled;
}

void AssignIPDialog::takeHardwareAddress()
{
    // A device found by its hardware address: only its new address is still
    // to be typed.
    txtHardware->setText(std::exchange(context().assignHardwareAddress, QString()));
    ip->clear();
    ip->setFocus();
}

void AssignIPDialog::closeEvent(QCloseEvent *event)
{
    stopPinging();
    ToolDialog::closeEvent(event);
}
