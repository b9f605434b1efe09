#pragma once

#include "core/device/AssignConfirmation.h"
#include "core/net/PingControl.h"
#include "gui/shell/ToolDialog.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// frmAssignIP: gives a device server an IP address by its hardware address
// (the IP-SETUP broadcast), then pings the new address to confirm it.
class AssignIPDialog : public ToolDialog {
    Q_OBJECT
public:
    // `icmpOpener` opens the ICMP sockets of the confirmation pings (the
    // system's when empty).
    explicit AssignIPDialog(AppContext &context, QWidget *parent = nullptr,
                            PingControl::SocketOpener icmpOpener = {});

    PingControl &ping() const { return *Ping1; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void onIpEnter();
    void onHardwareEnter();
    void onAssign();
    void startPinging();
    void onReply();
    void onTimedOut();
    void stopPinging();

    PingControl *Ping1;
    AssignConfirmation m_confirmation;
    QGroupBox *fraSetip = nullptr;
    QLabel *lblIPAddress = nullptr;
    QLineEdit *ip = nullptr;
    QLabel *lblMacAddress = nullptr;
    QLineEdit *txtHardware = nullptr;
    QPushButton *cmdAssign = nullptr;
};
