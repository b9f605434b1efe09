#include "TestContext.h"
#include "test_app_windows.h"
#include "test_app_windows_support.h"

#include "app/MainWindow.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>

Q_DECLARE_METATYPE(DialogId)

namespace {

QStringList menuLines(const MainWindow &window)
{
    QStringList lines;
    for (QAction *top : window.menuBar()->actions()) {
        lines << top->objectName() + QLatin1Char('|') + top->text();
        if (!top->menu())
            continue;
        for (QAction *a : top->menu()->actions())
            lines << QStringLiteral("  ") + a->objectName() + QLatin1Char('|') +
                         (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return lines;
}

QStringList visibleEntries(const QMenu *menu)
{
    QStringList entries;
    for (QAction *a : menu->actions())
        if (a->isVisible())
            entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return entries;
}

int windowsNamed(const QString &name)
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            ++count;
    return count;
}

} // namespace

void TestAppWindows::menuTree()
{
    TestContext tc;
    WindowGuard window{new MainWindow(tc.context)};
    const QStringList expected = {
        "mnuFile|&File",
        "  mnuFileExit|E&xit",
        "mnuView|&View",
        "  mnuViewDataFile|&Data File",
        "  mnuViewBar0|-",
        "  mnuViewToolbar|&Toolbar",
        "mnuTools|&Tools",
        "  mnuToolsAssignIP|&Assign IP...",
        "  mnuToolsPingDevice|&Ping Device...",
        "  mnuToolsQueryDevice|&Query Device...",
        "  mnuToolsLoadFirmware|Load &Firmware...",
        "  mnuToolsLoadWebPages|Load &WebPages...",
        "  mnuToolsTelnetDevice|&Telnet to Device...",
        "  mnuToolsWebConfiguration|Web &Configuration...",
        "mnuHelp|&Help",
        "  mnuHelpSubscribeToUpdates|&Subscribe to Updates",
        "  mnuHelpReleaseNotes|&Release Notes",
        "  mnuHelpBar0|-",
        "  mnuHelpAbout|&About",
    };
    QCOMPARE(menuLines(*window.window), expected);
    QAction *toolbar = item(window.window, QStringLiteral("mnuViewToolbar"));
    QVERIFY(toolbar->isCheckable());
    QVERIFY(toolbar->isChecked());
}

void TestAppWindows::toolbarButtons()
{
    TestContext tc;
    WindowGuard window{new MainWindow(tc.context)};
    const auto *bar = window->findChild<QToolBar *>(QStringLiteral("tbrCustomTools"));
    QVERIFY(bar);
    QStringList keysAndTips;
    for (QAction *a : bar->actions())
        keysAndTips << a->data().toString() + QLatin1Char('|') + a->toolTip();
    const QStringList expected = {
        "Assign IP|Assign IP",          "Ping|Ping Device",         "Query|Query Device",
        "Load FW|Load Firmware",        "Load Web|Load WebPages",   "Telnet|Telnet to Device",
        "Web Config|Web Configuration", "View File|View Data File",
    };
    QCOMPARE(keysAndTips, expected);
}

void TestAppWindows::toolOptions_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("disabled");

    const QByteArray all =
        "[options]\r\nAssignIP=disabled\r\nPingDevice=disabled\r\n"
        "QueryDevice=disabled\r\nLoadFirmware=disabled\r\nLoadWebpages=disabled\r\n"
        "TelnetDevice=disabled\r\nWebConfiguration=disabled\r\n"
        "ViewDataFile=disabled\r\n";
    QTest::newRow("no settings file") << QByteArray() << QStringList();
    QTest::newRow("AssignIP disabled")
        << QByteArray("[options]\r\nAssignIP=disabled\r\n") << QStringList{"AssignIP"};
    QTest::newRow("capital D keeps the tool")
        << QByteArray("[options]\r\nAssignIP=Disabled\r\n") << QStringList();
    QTest::newRow("another word keeps the tool")
        << QByteArray("[options]\r\nAssignIP=off\r\n") << QStringList();
    QTest::newRow("blanks around the value")
        << QByteArray("[options]\r\nAssignIP =  disabled  \r\n") << QStringList{"AssignIP"};
    QTest::newRow("longer word keeps the tool")
        << QByteArray("[options]\r\nAssignIP=disabledXY\r\n") << QStringList();
    QTest::newRow("names in other letter case")
        << QByteArray("[OPTIONS]\r\nassignip=disabled\r\n") << QStringList{"AssignIP"};
    QTest::newRow("key in another section")
        << QByteArray("[Images]\r\nAssignIP=disabled\r\n") << QStringList();
    QTest::newRow("ViewDataFile disabled")
        << QByteArray("[options]\r\nViewDataFile=disabled\r\n") << QStringList{"ViewDataFile"};
    QTest::newRow("all disabled") << all
                                  << QStringList{"AssignIP",         "PingDevice",   "QueryDevice",
                                                 "LoadFirmware",     "LoadWebpages", "TelnetDevice",
                                                 "WebConfiguration", "ViewDataFile"};
}

void TestAppWindows::toolOptions()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, disabled);
    TestContext tc(ini);
    WindowGuard window{new MainWindow(tc.context)};
    window->show();

    for (const ExpectedTool &tool : kExpectedTools) {
        const bool offered = !disabled.contains(QString::fromLatin1(tool.option));
        QAction *menuItem = item(window.window, QString::fromLatin1(tool.item));
        QAction *toolButton = button(window.window, QString::fromLatin1(tool.key));
        QVERIFY2(menuItem && toolButton, tool.option);
        QCOMPARE(menuItem->isVisible(), offered);
        QCOMPARE(toolButton->isVisible(), offered);
        if (offered) { // never greyed out
            QVERIFY(menuItem->isEnabled());
            QVERIFY(toolButton->isEnabled());
        }
    }
    const auto *view = window->findChild<QMenu *>(QStringLiteral("mnuView"));
    const QStringList expectedView = disabled.contains("ViewDataFile")
                                         ? QStringList{"&Toolbar"}
                                         : QStringList{"&Data File", "-", "&Toolbar"};
    QCOMPARE(visibleEntries(view), expectedView);
    QVERIFY(item(window.window, QStringLiteral("mnuHelpBar0"))->isVisible());
}

void TestAppWindows::toolbarToggleTwice()
{
    TestContext tc;
    WindowGuard window{new MainWindow(tc.context)};
    window->show();
    const auto *bar = window->findChild<QToolBar *>(QStringLiteral("tbrCustomTools"));
    QAction *toggle = item(window.window, QStringLiteral("mnuViewToolbar"));
    QVERIFY(bar->isVisible());

    toggle->trigger();
    QVERIFY(!toggle->isChecked());
    QVERIFY(!bar->isVisible());

    toggle->trigger();
    QVERIFY(toggle->isChecked());
    QVERIFY(bar->isVisible());
}

void TestAppWindows::dispatch_data()
{
    QTest::addColumn<QString>("source"); // a menu item name, or a toolbar key
    QTest::addColumn<QList<DialogId>>("made");

    for (const ExpectedTool &tool : kExpectedTools) {
        QTest::addRow("button %s", tool.key)
            << QString::fromLatin1(tool.key) << QList<DialogId>{tool.dialog};
        QTest::addRow("%s", tool.item)
            << QString::fromLatin1(tool.item) << QList<DialogId>{tool.dialog};
    }
    // Keys compare exactly: near misses do nothing.
    QTest::newRow("key in lower case") << QStringLiteral("ping") << QList<DialogId>();
    QTest::newRow("key with a blank") << QStringLiteral("Ping ") << QList<DialogId>();
    QTest::newRow("tool tip is no key") << QStringLiteral("Ping Device") << QList<DialogId>();
    QTest::newRow("empty key") << QString() << QList<DialogId>();
}

void TestAppWindows::dispatch()
{
    QFETCH(QString, source);
    QFETCH(QList<DialogId>, made);
    TestContext tc;
    StandIns standIns;
    WindowGuard window{new MainWindow(tc.context, standIns.factory())};
    if (source.startsWith(QLatin1String("mnu")))
        item(window.window, source)->trigger();
    else
        window->tbrCustomTools_ButtonClick(source);
    QCOMPARE(standIns.made, made);
    for (DialogId id : made)
        QVERIFY(window->dialogs().dialog(id)->isVisible());
}

void TestAppWindows::dialogChosenTwiceStaysOne()
{
    TestContext tc;
    StandIns standIns;
    WindowGuard window{new MainWindow(tc.context, standIns.factory())};
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.window));

    item(window.window, QStringLiteral("mnuToolsPingDevice"))->trigger();
    const auto *bar = window->findChild<QToolBar *>(QStringLiteral("tbrCustomTools"));
    QTest::mouseClick(bar->widgetForAction(button(window.window, QStringLiteral("Ping"))),
                      Qt::LeftButton);
    item(window.window, QStringLiteral("mnuToolsPingDevice"))->trigger();

    QCOMPARE(standIns.made, QList<DialogId>{DialogId::PingDevice});
    QCOMPARE(windowsNamed(QStringLiteral("frmPingDevice")), 1);

    // A tool without a dialog yet opens nothing.
    standIns.missing = {DialogId::QueryDevice};
    item(window.window, QStringLiteral("mnuToolsQueryDevice"))->trigger();
    QCOMPARE(windowsNamed(QStringLiteral("frmQueryDevice")), 0);
    QVERIFY(!window->dialogs().dialog(DialogId::QueryDevice));
}

void TestAppWindows::closedDialogIsMadeAgainOrShownAgain()
{
    TestContext tc;
    StandIns standIns;
    standIns.hiding = {DialogId::TelnetDevice};
    WindowGuard window{new MainWindow(tc.context, standIns.factory())};
    window->show();

    // Destroys itself when closed: chosen again at once, a new one is made.
    window->tbrCustomTools_ButtonClick(QStringLiteral("Ping"));
    QPointer<QWidget> first = window->dialogs().dialog(DialogId::PingDevice);
    first->close();
    window->tbrCustomTools_ButtonClick(QStringLiteral("Ping"));
    QCOMPARE(standIns.made.count(DialogId::PingDevice), 2);
    QWidget *second = window->dialogs().dialog(DialogId::PingDevice);
    QVERIFY(second != first.data());
    QVERIFY(second->isVisible());
    QTRY_VERIFY(first.isNull());

    // Hides itself when closed: the same one is shown again.
    window->tbrCustomTools_ButtonClick(QStringLiteral("Telnet"));
    QPointer<QWidget> telnet = window->dialogs().dialog(DialogId::TelnetDevice);
    telnet->close();
    QVERIFY(telnet && !telnet->isVisible());
    window->tbrCustomTools_ButtonClick(QStringLiteral("Telnet"));
    QCOMPARE(standIns.made.count(DialogId::TelnetDevice), 1);
    QVERIFY(telnet && telnet->isVisible());
    QCOMPARE(standIns.closed, QStringList{"frmPingDevice"});
}

void TestAppWindows::unloadAllForms_data()
{
    QTest::addColumn<QList<DialogId>>("open"); // in the order the user opened them
    QTest::addColumn<bool>("byExitItem");      // else by the title bar
    QTest::addColumn<bool>("withAbout");

    const QList<DialogId> all = {
        DialogId::WebConfig, DialogId::PingDevice,   DialogId::DataFile,    DialogId::TelnetDevice,
        DialogId::AssignIP,  DialogId::LoadWebPages, DialogId::QueryDevice, DialogId::LoadFirmware};
    QTest::newRow("all, exit item, About up") << all << true << true;
    QTest::newRow("all, title bar") << all << false << false;
    QTest::newRow("some, exit item")
        << QList<DialogId>{DialogId::WebConfig, DialogId::AssignIP, DialogId::PingDevice} << true
        << false;
    QTest::newRow("none, title bar") << QList<DialogId>() << false << false;
}

void TestAppWindows::unloadAllForms()
{
    QFETCH(QList<DialogId>, open);
    QFETCH(bool, byExitItem);
    QFETCH(bool, withAbout);
    TestContext tc;
    StandIns standIns;
    standIns.hiding = {DialogId::TelnetDevice};
    WindowGuard window{new MainWindow(tc.context, standIns.factory())};
    CloseRecorder recorder(&standIns.closed);
    window->installEventFilter(&recorder);
    window->show();

    QList<QPointer<QWidget>> dialogs;
    for (DialogId id : open) {
        window->tbrCustomTools_ButtonClick(keyOf(id));
        dialogs << window->dialogs().dialog(id);
    }
    // A dialog that hides on a user close is still closed for good at the end.
    if (QWidget *telnet = window->dialogs().dialog(DialogId::TelnetDevice))
        telnet->close();

    QStringList expected;
    auto end = [&] {
        if (byExitItem)
            item(window.window, QStringLiteral("mnuFileExit"))->trigger();
        else
            window->close();
    };
    if (withAbout) {
        expected << QStringLiteral("frmAbout");
        whileModalIsUp([&](QDialog *about) {
            about->installEventFilter(&recorder);
            dialogs << about;
            end();
        });
        item(window.window, QStringLiteral("mnuHelpAbout"))->trigger();
    } else {
        end();
    }

    for (int i = 0; i <= int(DialogId::WebConfig); ++i)
        if (open.contains(DialogId(i)))
            expected << formName(DialogId(i));
    expected << QStringLiteral("frmMain");
    QCOMPARE(standIns.closed, expected);

    // Everything is released and no window stays: the program ends.
    for (const QPointer<QWidget> &d : dialogs)
        QTRY_VERIFY(d.isNull());
    QTRY_VERIFY(window.window.isNull());
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
}

void TestAppWindows::realDialogsOpenOnceAndCloseAtEnd()
{
    // The program's own factory: every dialog plugged in so far carries its
    // form name, opens once, and is gone after the program end.
    TestContext tc;
    WindowGuard window{new MainWindow(tc.context)};
    window->show();
    QList<QPointer<QWidget>> dialogs;
    for (const ExpectedTool &tool : kExpectedTools) {
        window->tbrCustomTools_ButtonClick(QString::fromLatin1(tool.key));
        item(window.window, QString::fromLatin1(tool.item))->trigger();
        QWidget *dialog = window->dialogs().dialog(tool.dialog);
        if (!dialog)
            continue; // that tool has no dialog yet
        QCOMPARE(dialog->objectName(), formName(tool.dialog));
        QVERIFY(dialog->isWindow());
        QCOMPARE(windowsNamed(formName(tool.dialog)), 1);
        dialogs << dialog;
    }
    item(window.window, QStringLiteral("mnuFileExit"))->trigger();
    for (const QPointer<QWidget> &d : dialogs)
        QTRY_VERIFY(d.isNull());
    QTRY_VERIFY(window.window.isNull());
}
