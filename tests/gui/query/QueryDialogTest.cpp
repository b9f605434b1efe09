#include "QueryDialogTest.h"

#include "DialogChecks.h"
#include "QuerySetup.h"

#include "SimulatorFixture.h"
#include "TestContext.h"
#include "core/device/DeviceQuery.h"
#include "core/net/UdpSocketControl.h"
#include "core/support/SharedMessages.h"
#include "gui/ToolTable.h"
#include "gui/query/QueryDeviceDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

void QueryDialogTest::initialState()
{
    QuerySetup s;
    QCOMPARE(s.dialog->objectName(), QStringLiteral("frmQueryDevice"));
    QCOMPARE(s.dialog->windowTitle(), QStringLiteral("Query Device"));
    QCOMPARE(s.box("txtIPAddress")->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(s.find<QLabel>("lblIPAddress")->text(), QStringLiteral("Enter IP Address:"));
    QCOMPARE(s.button("cmdGetDeviceInfo")->text(), QStringLiteral("Get Device Information"));
    QCOMPARE(s.button("cmdSaveDeviceInfo")->text(), QStringLiteral("Save Data in File"));
    const char *labels[] = {"lblMacAddress", "lblFwVersion", "lblFwType", "lblDeviceName"};
    const char *captions[] = {
        "Hardware Address:", "Firmware Version:", "Firmware Type:", "Device Type:"};
    for (int i = 0; i < 4; ++i) {
        QVERIFY(!s.find<QLabel>(labels[i])->isEnabled());
        QCOMPARE(s.find<QLabel>(labels[i])->text(), QString::fromLatin1(captions[i]));
    }
    QVERIFY(!s.button("cmdSaveDeviceInfo")->isEnabled());
    QCOMPARE(tabOrder(s.box("txtIPAddress"), 7),
             QStringList({"txtIPAddress", "cmdGetDeviceInfo", "txtMacAddress", "txtFwVersion",
                          "txtFwType", "txtDeviceName", "cmdSaveDeviceInfo"}));
    QVERIFY(s.box("txtMacAddress")->isReadOnly());
    QVERIFY(!s.dialog->query().awaitingReply());
    QVERIFY(s.dialog->findChild<QTimer *>("tmrQuery"));
    QVERIFY(s.dialog->findChild<UdpSocketControl *>("sckSocket"));
}

// Enter in the address box moves to the button and sends nothing; the second
// Enter presses the button: address, Enter, Enter queries.
void QueryDialogTest::queryShowsReply()
{
    QuerySetup s;
    QVERIFY(s.started);
    s.t.context.currentDeviceAddress.clear();
    s.box("txtIPAddress")->setText(QStringLiteral(" 127.0.0.1 "));
    QTest::keyClick(s.box("txtIPAddress"), Qt::Key_Return);
    QCOMPARE(s.dialog->focusWidget(), s.button("cmdGetDeviceInfo"));
    QCOMPARE(s.t.context.currentDeviceAddress, QStringLiteral("127.0.0.1"));
    QVERIFY(!s.dialog->query().awaitingReply());
    QTest::qWait(100);
    QVERIFY(s.sim.log().isEmpty());

    QTest::keyClick(s.dialog->focusWidget(), Qt::Key_Return);
    QVERIFY(s.dialog->query().awaitingReply());
    QTRY_VERIFY(s.resultsEnabled());
    QCOMPARE(s.box("txtMacAddress")->text(), QStringLiteral("02-00-00-04-0B-0C"));
    QCOMPARE(s.box("txtFwVersion")->text(), QStringLiteral("4.10"));
    QCOMPARE(s.box("txtFwType")->text(), QStringLiteral("X1"));
    QCOMPARE(s.box("txtDeviceName")->text(),
             QStringLiteral("one port (NV30, Petite, Compact-Rev2)"));
    QCOMPARE(s.sim.receivedBytes(), QList<QByteArray>{kRequest});
    QVERIFY(!s.dialog->query().awaitingReply());
    QVERIFY(!s.dialog->query().socket().isConnected());
    QVERIFY(s.dialog->cursor().shape() != Qt::WaitCursor);
    QCOMPARE(s.dialog->focusWidget(), s.button("cmdSaveDeviceInfo"));
    QTest::qWait(s.t.context.intervals.queryTimeoutMs + 100);
    QCOMPARE(s.t.prompts.count(), 0);
}

void QueryDialogTest::replyOfAnyLength_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("shown"); // hardware address, firmware version
    const int shortReply = int(QueryReplyMode::Short);
    const int longReply = int(QueryReplyMode::Long);
    QTest::newRow("0 bytes") << shortReply << 0 << QStringList{"", ""};
    QTest::newRow("4 bytes") << shortReply << 4 << QStringList{"", ""};
    QTest::newRow("28 bytes") << shortReply << 28 << QStringList{"02-00-00-04-", "4.10"};
    QTest::newRow("40 bytes") << longReply << 40 << QStringList{"02-00-00-04-0B-0C", "4.10"};
    QTest::newRow("65507 bytes") << longReply << 65507 << QStringList{"02-00-00-04-0B-0C", "4.10"};
}

void QueryDialogTest::replyOfAnyLength()
{
    QFETCH(int, mode);
    QFETCH(int, length);
    QuerySetup s(QueryReplyMode(mode), length);
    QVERIFY(s.started);
    s.click("cmdGetDeviceInfo");
    // Every reply ends the query, however short.
    QTRY_VERIFY(s.button("cmdSaveDeviceInfo")->isEnabled());
    QTRY_COMPARE(s.sim.sentBytes().size(), 1);
    QCOMPARE(s.sim.sentBytes().first().size(), length);
    QTEST((QStringList{s.box("txtMacAddress")->text(), s.box("txtFwVersion")->text()}), "shown");
    QVERIFY(!s.dialog->query().awaitingReply());
    QVERIFY(!s.dialog->query().socket().isConnected());
}

// A second press while waiting sends again on a new socket and restarts the
// time-out; the time-out message shows once.
void QueryDialogTest::timeoutShownOnce()
{
    QuerySetup s(QueryReplyMode::None);
    QVERIFY(s.started);
    const int interval = s.t.context.intervals.queryTimeoutMs;
    s.click("cmdGetDeviceInfo");
    QVERIFY(s.dialog->testAttribute(Qt::WA_SetCursor));
    QCOMPARE(s.dialog->cursor().shape(), Qt::WaitCursor);
    QTRY_COMPARE(s.sim.receivedBytes().size(), 1);
    QTest::qWait(interval / 2);
    s.click("cmdGetDeviceInfo");
    QVERIFY(s.dialog->query().timer().remainingTime() > interval * 3 / 4);
    const QStringList once{kErrorTitle + "|None|" + kQueryTimeoutText};
    QTRY_COMPARE(said(s.t.prompts), once);
    QTest::qWait(2 * interval);
    QCOMPARE(said(s.t.prompts), once);
    QVERIFY(!s.resultsEnabled());
    QVERIFY(s.dialog->cursor().shape() != Qt::WaitCursor);
    QCOMPARE(s.dialog->focusWidget(), s.box("txtIPAddress"));
    QCOMPARE(s.sim.receivedBytes(), QList<QByteArray>(2, kRequest));
    const QList<LoggedDatagram> log = s.sim.log();
    QCOMPARE(log.size(), 2);
    QVERIFY(log[0].peerPort != log[1].peerPort);
}

void QueryDialogTest::closingWhileWaitingIsSilent_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("close") << false;
    QTest::newRow("Escape key") << true;
}

void QueryDialogTest::closingWhileWaitingIsSilent()
{
    QFETCH(bool, escape);
    QuerySetup s(QueryReplyMode::None);
    QVERIFY(s.started);
    s.click("cmdGetDeviceInfo");
    if (escape)
        QTest::keyClick(s.dialog, Qt::Key_Escape);
    else
        s.dialog->close();
    QTRY_VERIFY(s.dialog.isNull()); // closed dialogs are deleted
    QTest::qWait(2 * s.t.context.intervals.queryTimeoutMs);
    QCOMPARE(s.t.prompts.count(), 0);
}

void QueryDialogTest::editingClearsResults_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("address"); // in the box afterwards
    QTest::newRow("any key, even one that changes nothing") << "key"
                                                            << "127.0.0.1";
    QTest::newRow("paste") << "paste"
                           << "127.0.0.9";
    QTest::newRow("drop") << "drop"
                          << "127.0.0.9";
}

void QueryDialogTest::editingClearsResults()
{
    // Results kept after the address changed would be saved under the new,
    // unchecked address.
    QFETCH(QString, edit);
    QuerySetup s;
    QVERIFY(s.started);
    s.click("cmdGetDeviceInfo");
    QTRY_VERIFY(s.resultsEnabled());
    QLineEdit *box = s.box("txtIPAddress");
    if (edit == "key") {
        QTest::keyClick(box, Qt::Key_End);
    } else if (edit == "paste") {
        QApplication::clipboard()->setText(QStringLiteral("127.0.0.9"));
        box->selectAll();
        box->paste();
    } else {
        QMimeData data;
        data.setText(QStringLiteral("127.0.0.9"));
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &drop);
    }
    QVERIFY(!s.resultsEnabled());
    for (const char *name : {"txtMacAddress", "txtFwVersion", "txtFwType", "txtDeviceName"})
        QVERIFY(s.box(name)->text().isEmpty());
    QFETCH(QString, address);
    QVERIFY2(box->text().contains(address), qPrintable(box->text()));
}

void QueryDialogTest::socketFailureThenTimeout()
{
    QuerySetup s;
    // Passes the address check, but is no address the socket can use.
    s.box("txtIPAddress")->setText(QStringLiteral("10.-1.0.1"));
    s.click("cmdGetDeviceInfo");
    const QStringList trap{kErrorTitle + "|Critical|" + kFailedInConnectingLine + "\r\n10001\r\n*"};
    QCOMPARE(said(s.t.prompts, trap), trap);
    QVERIFY(
        s.t.readFile("ErrorLog.txt").contains("\"cmdGetDeviceInfo_Click in Query Device\",10001,"));
    QVERIFY(s.dialog->query().awaitingReply()); // the time-out still ends it
    QTRY_COMPARE(s.timeouts(), 1);
    QVERIFY(!s.dialog->query().awaitingReply());
}

void QueryDialogTest::save_data()
{
    QTest::addColumn<bool>("writable");
    QTest::newRow("new file, saved twice") << true;
    QTest::newRow("a folder in the way") << false;
}

void QueryDialogTest::save()
{
    QFETCH(bool, writable);
    QuerySetup s;
    QVERIFY(s.started);
    s.click("cmdGetDeviceInfo");
    QTRY_VERIFY(s.resultsEnabled());
    if (!writable)
        QVERIFY(QDir(s.t.folder()).mkdir("devices.txt"));
    const QByteArray line = "\"127.0.0.1\",\"02-00-00-04-0B-0C\",\"4.10\",\"X1\","
                            "\"one port (NV30, Petite, Compact-Rev2)\"\r\n";
    for (int time = 0; time < (writable ? 2 : 1); ++time) {
        s.t.prompts.choosePath(s.t.path("devices.txt"));
        s.click("cmdSaveDeviceInfo");
        QVERIFY(s.resultsEnabled()); // the same record can be saved again
        if (writable)
            QCOMPARE(s.t.readFile("devices.txt"), line);
    }
    if (writable) {
        QCOMPARE(s.t.context.settings.DatabaseFileName.trimmed(), QStringLiteral("devices.txt"));
        QCOMPARE(s.t.prompts.messages().size(), 0);
    } else {
        const QStringList trapped{kErrorTitle + "|Critical|*"};
        QCOMPARE(said(s.t.prompts, trapped), trapped);
        QVERIFY(
            s.t.readFile("ErrorLog.txt").contains("\"cmdSaveDeviceInfo_Click in Query Device\""));
    }
}

void QueryDialogTest::factoryReopensWithCurrentAddress()
{
    const auto createToolDialog = [](AppContext &context) -> QWidget * {
        for (const ToolEntry &tool : programTools())
            if (tool.formName == QLatin1String("frmQueryDevice"))
                return tool.create(context, nullptr);
        return nullptr;
    };
    TestContext t;
    t.context.currentDeviceAddress = QStringLiteral("10.1.2.3");
    QPointer<QWidget> first = createToolDialog(t.context);
    QVERIFY(first);
    first->show();
    auto *box = first->findChild<QLineEdit *>("txtIPAddress");
    box->setText(QStringLiteral("10.9.9.9"));
    QTest::keyClick(box, Qt::Key_Return);
    first->close();
    QTRY_VERIFY(first.isNull());
    QScopedPointer<QWidget> second(createToolDialog(t.context));
    QCOMPARE(second->findChild<QLineEdit *>("txtIPAddress")->text(), QStringLiteral("10.9.9.9"));
}
