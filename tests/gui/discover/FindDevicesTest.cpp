// Find Devices: the list of simulated devices in a namespace of the test's
// own (the search named to its veth end through the settings file), the list
// driving the other tools, and the explanation of an empty search.
#include "DialogChecks.h"
#include "NetnsFixture.h"
#include "TestContext.h"

#include "core/commission/DeviceListExport.h"
#include "core/datafile/DataFile.h"
#include "core/device/IpSetupExchange.h"
#include "core/host/HostChecks.h"
#include "core/support/ShownText.h"
#include "gui/ToolTable.h"
#include "gui/discover/DeviceListView.h"
#include "gui/shell/MainWindow.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {

// The program's main window on a test context, with Find Devices opened from
// its toolbar.
struct Window {
    explicit Window(TestContext &tc) : main(new MainWindow(tc.context, programTools()))
    {
        main->show();
        main->tbrCustomTools_ButtonClick(QStringLiteral("Find Devices"));
        dialog = main->dialogs().dialog(QStringLiteral("frmFindDevices"));
        list = dialog->findChild<DeviceListView *>(QStringLiteral("lvwDevices"));
    }
    ~Window() { delete main.data(); }
    QString status() const
    {
        return dialog->findChild<QLabel *>(QStringLiteral("lblStatus"))->text();
    }
    void act(const char *name) const
    {
        dialog->findChild<QAction *>(QString::fromLatin1(name))->trigger();
    }
    QPointer<MainWindow> main;
    QPointer<QWidget> dialog;
    DeviceListView *list = nullptr;
};

QByteArray searchSettings(const QString &interfaceName, const char *seconds)
{
    return QStringLiteral("[FindDevices]\r\nInterface=%1\r\nTimeout=%2\r\n")
        .arg(interfaceName, QLatin1String(seconds))
        .toUtf8();
}

} // namespace

class FindDevicesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listDrivesTheTools();
    void emptySearchIsExplained_data();
    void emptySearchIsExplained();
};

void FindDevicesTest::listDrivesTheTools()
{
    NETNS_OR_SKIP(ns, why);
    // Three devices at addresses of their own, until the second is given the
    // first one's address.
    QVERIFY2(
        ns.startSimulator(
            {"--query-port", "30718", "--devices", "3", "--first-address", ns.address(10)}, &why),
        qPrintable(why));
    const QString shared = ns.address(10);
    const QString third = ns.address(12);
    QVERIFY(set_tmx_ip(shared, "02-00-00-04-0B-0D", 30718).sent());
    QVERIFY(ns.waitForLog("Address " + shared + " taken", 3000));

    TestContext tc(searchSettings(ns.hostInterface(), "1"));
    tc.context.ports.query = 30718;
    Window w(tc);
    QCOMPARE(w.dialog->focusWidget(), w.list);
    QTRY_COMPARE_WITH_TIMEOUT(w.status(),
                              QStringLiteral("3 devices found; 2 in an address conflict"), 5000);

    // Sorted by address: the two that share it first, each naming the other.
    const QStringList expected = {
        shared + " 02-00-00-04-0B-0C address conflict with 02-00-00-04-0B-0D",
        shared + " 02-00-00-04-0B-0D address conflict with 02-00-00-04-0B-0C",
        third + " 02-00-00-04-0B-0E "};
    QStringList rows;
    for (int i = 0; i < w.list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = w.list->topLevelItem(i);
        rows << row->text(DeviceColumn::Address) + ' ' + row->text(DeviceColumn::HardwareAddress) +
                    ' ' + row->text(DeviceColumn::Status);
        QCOMPARE(row->text(DeviceColumn::Interface), ns.hostInterface());
        QCOMPARE(row->background(0).style() != Qt::NoBrush, i < 2);
    }
    QCOMPARE(rows, expected);

    // Choosing a row makes it the Current device address; Enter queries it.
    QCOMPARE(tc.context.currentDeviceAddress, QString()); // none chosen yet
    QTest::keyClick(w.list, Qt::Key_Down);
    QTest::keyClick(w.list, Qt::Key_Home);
    QCOMPARE(tc.context.currentDeviceAddress, shared);
    QVERIFY(w.dialog->findChild<QLabel *>("lblChosen")->text().contains("02-00-00-04-0B-0D"));
    QTest::keyClick(w.list, Qt::Key_End);
    QCOMPARE(tc.context.currentDeviceAddress, third);
    QTest::keyClick(w.list, Qt::Key_Return);
    QWidget *query = w.main->dialogs().dialog(QStringLiteral("frmQueryDevice"));
    QVERIFY(query);
    QCOMPARE(query->findChild<QLineEdit *>(QStringLiteral("txtIPAddress"))->text(), third);

    // Assign IP knows the device by its hardware address and waits for the new one.
    w.act("actAssignIP");
    QWidget *assign = w.main->dialogs().dialog(QStringLiteral("frmAssignIP"));
    QVERIFY(assign);
    auto *address = assign->findChild<QLineEdit *>(QStringLiteral("ip"));
    QCOMPARE(assign->findChild<QLineEdit *>(QStringLiteral("txtHardware"))->text(),
             QStringLiteral("02-00-00-04-0B-0E"));
    QCOMPARE(address->text(), QString());
    QCOMPARE(assign->focusWidget(), address);
    QVERIFY(tc.context.assignHardwareAddress.isEmpty());

    // The record Query Device would save; the plan of exactly the devices listed.
    const QString dataFile = tc.path(QStringLiteral("devices.txt"));
    tc.prompts.choosePath(dataFile);
    w.act("actSaveInDataFile");
    const QTreeWidgetItem *row = w.list->topLevelItem(2);
    QCOMPARE(readAllRecords(dataFile),
             (QList<DeviceRecord>{{{third, "02-00-00-04-0B-0E", "4.10", "X1",
                                    row->text(DeviceColumn::DeviceType)}}}));
    tc.prompts.choosePath(tc.path(QStringLiteral("plan.csv")));
    QTest::mouseClick(w.dialog->findChild<QPushButton *>(QStringLiteral("cmdMakePlan")),
                      Qt::LeftButton);
    QCOMPARE(tc.readFile(QStringLiteral("plan.csv")), planTemplateCsv(w.list->devices()));
    QCOMPARE(w.list->devices().size(), 3);
    QCOMPARE(said(tc.prompts), QStringList());
}

void FindDevicesTest::emptySearchIsExplained_data()
{
    QTest::addColumn<bool>("inNamespace"); // else the loopback, which cannot search
    QTest::addColumn<QString>("said");     // how the list says that nothing is there
    QTest::newRow("nothing answers") << true << "No device answered on";
    QTest::newRow("no search possible") << false << "No search could be made";
}

void FindDevicesTest::emptySearchIsExplained()
{
    QFETCH(bool, inNamespace);
    QFETCH(QString, said);
    NetnsFixture ns;
    QString why;
    if (inNamespace && !ns.setUp(&why))
        QSKIP(qPrintable(why));
    TestContext tc(searchSettings(inNamespace ? ns.hostInterface() : "lo", "0.3"));
    Window w(tc);
    QTRY_VERIFY(w.list->placeholderText().startsWith(said));
    QCOMPARE(w.list->topLevelItemCount(), 0);

    QTest::mouseClick(w.dialog->findChild<QPushButton *>(QStringLiteral("cmdWhy")), Qt::LeftButton);
    auto *text = w.dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtWhy"));
    QVERIFY(text->isVisible());
    const QString shown = text->toPlainText();
    const QList<Diagnosis::Finding> findings =
        hostFindings(checkHost(tc.context.ports.query, tc.context.ports.tftp));
    QVERIFY(findings.size() >= 3); // interfaces, pings, firewall
    for (const Diagnosis::Finding &finding : findings)
        QVERIFY2(shown.contains(shownText(finding.text, 2000)), qPrintable(finding.text));
    if (inNamespace) // the interface searched is among those the host offers
        QVERIFY2(shown.contains(ns.hostInterface()), qPrintable(shown));
}

QTEST_MAIN(FindDevicesTest)
#include "FindDevicesTest.moc"
