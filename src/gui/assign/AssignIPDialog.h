#pragma once

#include "core/device/AssignConfirmation.h"
#include "core/net/PingControl.h"
#include "gui/shell/ToolDialog.h"

class AddressAssignment;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// frmAssignIP: gives a device server an IP address by its hardware address
// (the IP-SETUP broadcast), then pings the new address to confirm it. The
// address assignment does both and decides; the dialog shows its outcome.
class AssignIPDialog : public ToolDialog {
    Q_OBJECT
public:
    // `icmpOpener` opens the ICMP sockets of the confirmation pings (the
    // system's when empty).
    explicit AssignIPDialog(AppContext &context, QWidget *parent = nullptr,
                            PingControl::SocketOpener icmpOpener = {});

    PingControl &ping() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void buildControls();
    void onIpEnter();
    void onHardwareEnter();
    void onAssign();
    void onVerdict(AssignConfirmation::Verdict verdict);
    void stopPinging();
    void takeHardwareAddress();

    AddressAssignment *m_assignment;
    QGroupBox *fraSetip = nullptr;
    QLabel *lblIPAddress = nullptr;
    QLineEdit *ip = nullptr;
    QLabel *lblMacAddress = nullptr;
    QLineEdit *txtHardware = nullptr;
    QPushButton *cmdAssign = nullptr;
};
