#include "ShellTest.h"
#include "ShellTestSupport.h"
#include "TestContext.h"

#include "gui/shell/MainWindow.h"

#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

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

} // namespace

void ShellTest::menusAndToolbar()
{
    TestContext tc;
    WindowGuard window{new MainWindow(tc.context, programTools())};
    window->show();
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
        "  mnuToolsFindDevices|Find &Devices...",
        "mnuHelp|&Help",
        "  mnuHelpSubscribeToUpdates|&Subscribe to Updates",
        "  mnuHelpReleaseNotes|&Release Notes",
        "  mnuHelpBar0|-",
        "  mnuHelpAbout|&About",
    };
    QCOMPARE(menuLines(*window.window), expected);

    const auto *bar = window->findChild<QToolBar *>(QStringLiteral("tbrCustomTools"));
    QVERIFY(bar);
    QStringList keysAndTips;
    for (QAction *a : bar->actions())
        keysAndTips << a->data().toString() + QLatin1Char('|') + a->toolTip();
    QCOMPARE(keysAndTips, (QStringList{
                              "Assign IP|Assign IP",
                              "Ping|Ping Device",
                              "Query|Query Device",
                              "Load FW|Load Firmware",
                              "Load Web|Load WebPages",
                              "Telnet|Telnet to Device",
                              "Web Config|Web Configuration",
                              "View File|View Data File",
                              "Find Devices|Find Devices",
                          }));

    // View > Toolbar is checked while the bar shows, and toggles it.
    QAction *toggle = item(window.window, QStringLiteral("mnuViewToolbar"));
    QVERIFY(toggle->isCheckable());
    for (const bool shown : {true, false, true}) {
        QCOMPARE(toggle->isChecked(), shown);
        QCOMPARE(bar->isVisible(), shown);
        toggle->trigger();
    }
}

void ShellTest::toolOptions_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("disabled");

    const QByteArray all =
        "[options]\r\nAssignIP=disabled\r\nPingDevice=disabled\r\n"
        "QueryDevice=disabled\r\nLoadFirmware=disabled\r\nLoadWebpages=disabled\r\n"
        "TelnetDevice=disabled\r\nWebConfiguration=disabled\r\n"
        "ViewDataFile=disabled\r\nFindDevices=disabled\r\n";
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
                                                 "WebConfiguration", "ViewDataFile", "FindDevices"};
}

void ShellTest::toolOptions()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, disabled);
    TestContext tc(ini);
    WindowGuard window{new MainWindow(tc.context, programTools())};
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

void ShellTest::dispatch_data()
{
    QTest::addColumn<QString>("source"); // a menu item name, or a toolbar key
    QTest::addColumn<QStringList>("made");

    for (const ExpectedTool &tool : kExpectedTools) {
        QTest::addRow("button %s", tool.key)
            << QString::fromLatin1(tool.key) << QStringList{QString::fromLatin1(tool.form)};
        QTest::addRow("%s", tool.item)
            << QString::fromLatin1(tool.item) << QStringList{QString::fromLatin1(tool.form)};
    }
    // Keys compare exactly: near misses do nothing.
    QTest::newRow("key in lower case") << QStringLiteral("ping") << QStringList();
    QTest::newRow("key with a blank") << QStringLiteral("Ping ") << QStringList();
    QTest::newRow("tool tip is no key") << QStringLiteral("Ping Device") << QStringList();
    QTest::newRow("empty key") << QString() << QStringList();
}

void ShellTest::dispatch()
{
    QFETCH(QString, source);
    QFETCH(QStringList, made);
    TestContext tc;
    StandIns standIns;
    WindowGuard window{new MainWindow(tc.context, standIns.tools())};
    if (source.startsWith(QLatin1String("mnu")))
        item(window.window, source)->trigger();
    else
        window->tbrCustomTools_ButtonClick(source);
    QCOMPARE(standIns.made, made);
    for (const QString &id : made)
        QVERIFY(window->dialogs().dialog(id)->isVisible());
}
