#include "QueryDialogTest.h"

#include "QuerySetup.h"

#include "SimulatorFixture.h"
#include "TestContext.h"
#include "core/device/DeviceQuery.h"
#include "core/net/UdpSocketControl.h"
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
    const char *order[] = {"txtIPAddress", "cmdGetDeviceInfo", "txtMacAddress",    "txtFwVersion",
                           "txtFwType",    "txtDeviceName",    "cmdSaveDeviceInfo"};
    for (int i = 0; i + 1 < 7; ++i) {
        QWidget *w = s.find<QWidget>(order[i])->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus)
            w = w->nextInFocusChain();
        QCOMPARE(w->objectName(), QString::fromLatin1(order[i + 1]));
    }
    QVERIFY(s.box("txtMacAddress")->isReadOnly());
    QVERIFY(!s.dialog->query().awaitingReply());
    QVERIFY(s.dialog->findChild<QTimer *>("tmrQuery"));
    QVERIFY(s.dialog->findChild<UdpSocketControl *>("sckSocket"));
}

void QueryDialogTest::queryShowsReply()
{
    QuerySetup s;
    QVERIFY(s.started);
    s.box("txtIPAddress")->setText(QStringLiteral(" 127.0.0.1 "));
    s.click("cmdGetDeviceInfo");
    QVERIFY(s.dialog->query().awaitingReply());
    QTRY_VERIFY(s.resultsEnabled());
    QCOMPARE(s.box("txtMacAddress")->text(), QStringLiteral("02-00-00-04-0B-0C"));
    QCOMPARE(s.box("txtFwVersion")->text(), QStringLiteral("4.10"));
    QCOMPARE(s.box("txtFwType")->text(), QStringLiteral("X1"));
    QCOMPARE(s.box("txtDeviceName")->text(),
             QStringLiteral("one port (NV30, Petite, Compact-Rev2)"));
    QCOMPARE(s.sim.receivedBytes(), QList<QByteArray>{kRequest});
    QCOMPARE(s.t.context.currentDeviceAddress, QStringLiteral("127.0.0.1"));
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
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QString>("version");
    QTest::newRow("0 bytes") << int(QueryReplyMode::Short) << 0 << ""
                             << "";
    QTest::newRow("4 bytes") << int(QueryReplyMode::Short) << 4 << ""
                             << "";
    QTest::newRow("28 bytes") << int(QueryReplyMode::Short) << 28 << "02-00-00-04-"
                              << "4.10";
    QTest::newRow("40 bytes") << int(QueryReplyMode::Long) << 40 << "02-00-00-04-0B-0C"
                              << "4.10";
    QTest::newRow("65507 bytes") << int(QueryReplyMode::Long) << 65507 << "02-00-00-04-0B-0C"
                                 << "4.10";
}

void QueryDialogTest::replyOfAnyLength()
{
    QFETCH(int, mode);
    QFETCH(int, length);
    TestContext t;
    SimulatorFixture sim;
    sim.options.replyMode = QueryReplyMode(mode);
    sim.options.shortReplyLength = length;
    sim.options.longReplyLength = length;
    QVERIFY(sim.start());
    sim.pointAt(t.context);
    t.context.currentDeviceAddress = QStringLiteral("127.0.0.1");
    QueryDeviceDialog dialog(t.context);
    dialog.setAttribute(Qt::WA_DeleteOnClose, false);
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton *>("cmdGetDeviceInfo"), Qt::LeftButton);
    auto *save = dialog.findChild<QPushButton *>("cmdSaveDeviceInfo");
    QTRY_VERIFY(save->isEnabled()); // every reply ends the query, however short
    QTRY_COMPARE(sim.sentBytes().size(), 1);
    QCOMPARE(sim.sentBytes().first().size(), length);
    QTEST(dialog.findChild<QLineEdit *>("txtMacAddress")->text(), "hardware");
    QTEST(dialog.findChild<QLineEdit *>("txtFwVersion")->text(), "version");
    QVERIFY(!dialog.query().awaitingReply());
    QVERIFY(!dialog.query().socket().isConnected());
}

void QueryDialogTest::timeoutShownOnce()
{
    QuerySetup s(QueryReplyMode::None);
    QVERIFY(s.started);
    QSignalSpy busy(&s.dialog->query(), &DeviceQuery::busyChanged);
    s.click("cmdGetDeviceInfo");
    QVERIFY(s.dialog->testAttribute(Qt::WA_SetCursor));
    QCOMPARE(s.dialog->cursor().shape(), Qt::WaitCursor);
    QTRY_COMPARE(s.t.prompts.count(), 1);
    const auto shown = s.t.prompts.shown().first();
    QCOMPARE(shown.title, QStringLiteral("Error Condition"));
    QCOMPARE(shown.text, kTimeout);
    QCOMPARE(shown.icon, PromptIcon::None);
    QTest::qWait(2 * s.t.context.intervals.queryTimeoutMs);
    QCOMPARE(s.t.prompts.count(), 1);
    QVERIFY(!s.resultsEnabled());
    QVERIFY(s.dialog->cursor().shape() != Qt::WaitCursor);
    QCOMPARE(s.dialog->focusWidget(), s.box("txtIPAddress"));
    QCOMPARE(s.sim.receivedBytes(), QList<QByteArray>{kRequest});
}

void QueryDialogTest::secondPressRestartsTimeout()
{
    QuerySetup s(QueryReplyMode::None);
    QVERIFY(s.started);
    const int interval = s.t.context.intervals.queryTimeoutMs;
    s.click("cmdGetDeviceInfo");
    QTRY_COMPARE(s.sim.receivedBytes().size(), 1);
    QTest::qWait(interval / 2);
    s.click("cmdGetDeviceInfo");
    QVERIFY(s.dialog->query().timer().remainingTime() > interval * 3 / 4);
    QTRY_COMPARE(s.sim.receivedBytes().size(), 2);
    QTRY_COMPARE(s.timeouts(), 1);
    QTest::qWait(interval + 100);
    QCOMPARE(s.timeouts(), 1);
    // Two associations: the second press closed the first socket and opened anew.
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

void QueryDialogTest::enterWithBadAddress()
{
    QuerySetup s;
    s.box("txtIPAddress")->setText(QStringLiteral("240.0.0.1"));
    QTest::keyClick(s.box("txtIPAddress"), Qt::Key_Return);
    QCOMPARE(
        s.t.prompts.messageTexts(),
        QStringList{QStringLiteral("Invalid range for IP address!\r\nPlease enter new address.")});
    QVERIFY(s.box("txtIPAddress")->text().isEmpty());
    QCOMPARE(s.dialog->focusWidget(), s.box("txtIPAddress"));
    QCOMPARE(s.t.context.currentDeviceAddress, QStringLiteral("127.0.0.1"));
    QVERIFY(!s.dialog->query().awaitingReply());
}

void QueryDialogTest::enterMovesToButtonThenQueries()
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
    QCOMPARE(s.t.prompts.count(), 0);

    // The second Enter presses the focused button: address, Enter, Enter queries.
    QTest::keyClick(s.dialog->focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(s.resultsEnabled());
    QCOMPARE(s.sim.receivedBytes(), QList<QByteArray>{kRequest});
    QCOMPARE(s.dialog->focusWidget(), s.button("cmdSaveDeviceInfo"));
}

void QueryDialogTest::socketFailureThenTimeout()
{
    QuerySetup s;
    // Passes the address check, but is no address the socket can use.
    s.box("txtIPAddress")->setText(QStringLiteral("10.-1.0.1"));
    s.click("cmdGetDeviceInfo");
    QCOMPARE(s.t.prompts.count(), 1);
    const auto trap = s.t.prompts.shown().first();
    QVERIFY(trap.text.startsWith(QStringLiteral("Failed in connecting socket\r\n10001\r\n")));
    QCOMPARE(trap.icon, PromptIcon::Critical);
    QVERIFY(
        s.t.readFile("ErrorLog.txt").contains("\"cmdGetDeviceInfo_Click in Query Device\",10001,"));
    QVERIFY(s.dialog->query().awaitingReply()); // the time-out still ends it
    QTRY_COMPARE(s.timeouts(), 1);
    QVERIFY(!s.dialog->query().awaitingReply());
}

void QueryDialogTest::saveStoresRecord()
{
    QuerySetup s;
    QVERIFY(s.started);
    s.click("cmdGetDeviceInfo");
    QTRY_VERIFY(s.resultsEnabled());
    s.t.prompts.choosePath(s.t.path("devices.txt"));
    s.click("cmdSaveDeviceInfo");
    const QByteArray line = "\"127.0.0.1\",\"02-00-00-04-0B-0C\",\"4.10\",\"X1\","
                            "\"one port (NV30, Petite, Compact-Rev2)\"\r\n";
    QCOMPARE(s.t.readFile("devices.txt"), line);
    QCOMPARE(s.t.context.settings.DatabaseFileName.trimmed(), QStringLiteral("devices.txt"));
    QVERIFY(s.resultsEnabled()); // the same record can be saved again
    s.t.prompts.choosePath(s.t.path("devices.txt"));
    s.click("cmdSaveDeviceInfo");
    QCOMPARE(s.t.readFile("devices.txt"), line);
}

void QueryDialogTest::saveFailureIsTrapped()
{
    QuerySetup s;
    QVERIFY(s.started);
    s.click("cmdGetDeviceInfo");
    QTRY_VERIFY(s.resultsEnabled());
    QVERIFY(QDir(s.t.folder()).mkdir("taken.txt"));
    s.t.prompts.choosePath(s.t.path("taken.txt"));
    s.click("cmdSaveDeviceInfo");
    QCOMPARE(s.t.prompts.messages().size(), 1);
    QCOMPARE(s.t.prompts.messages().first().icon, PromptIcon::Critical);
    QCOMPARE(s.t.prompts.messages().first().title, QStringLiteral("Error Condition"));
    QVERIFY(s.t.readFile("ErrorLog.txt").contains("\"cmdSaveDeviceInfo_Click in Query Device\""));
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
