#pragma once

#include "IcmpAvailable.h"
#include "LoopbackPeer.h"
#include "TestContext.h"
#include "gui/assign/AssignIPDialog.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>

// A shown Assign IP dialog on a test context whose device port is a peer
// listening at 127.0.0.255, the broadcast address of 127.0.0.x, or port 0,
// to which every send is refused.
struct AssignSetup {
    explicit AssignSetup(PingControl::SocketOpener icmpOpener = {}, bool portZero = false)
        : peer(QHostAddress(QStringLiteral("127.0.0.255")))
    {
        t.context.ports.query = portZero ? 0 : peer.port();
        t.context.currentDeviceAddress = QStringLiteral("127.0.0.9");
        dialog = new AssignIPDialog(t.context, nullptr, std::move(icmpOpener));
        dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        dialog->show();
        dialog->activateWindow();
        (void)QTest::qWaitForWindowActive(dialog);
    }
    ~AssignSetup() { delete dialog.data(); }

    QWidget *widget(const QString &name) const { return dialog->findChild<QWidget *>(name); }
    QLineEdit *ip() const { return dialog->findChild<QLineEdit *>(QStringLiteral("ip")); }
    QLineEdit *hardware() const
    {
        return dialog->findChild<QLineEdit *>(QStringLiteral("txtHardware"));
    }
    QWidget *assign() const { return widget(QStringLiteral("cmdAssign")); }
    void fill(const QString &address, const QString &hardwareAddress) const
    {
        ip()->setText(address);
        hardware()->setText(hardwareAddress);
    }
    void click() const { QTest::mouseClick(assign(), Qt::LeftButton); }
    bool busy() const { return dialog->cursor().shape() == Qt::WaitCursor; }
    bool idle() const { return !busy() && !dialog->ping().isEnabled(); }

    TestContext t;
    LoopbackPeer peer;
    QPointer<AssignIPDialog> dialog;
};
