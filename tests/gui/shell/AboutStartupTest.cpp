#include "DialogChecks.h"
#include "ShellTest.h"
#include "ShellTestSupport.h"
#include "TestContext.h"

#include "gui/shell/AboutDialog.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SplashWindow.h"
#include "gui/shell/Startup.h"
#include "gui/shell/ToolDialog.h"
#include "gui/shell/WidgetPrompts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <sys/stat.h>

namespace {

const QString kDescription = QStringLiteral(
    "Description: This utility is used for easy configuration management of a device server.");

void addGraphics(const TestContext &tc, const QString &name, const QByteArray &bytes)
{
    QDir(tc.folder()).mkpath(QStringLiteral("Graphics"));
    tc.writeFile(QStringLiteral("Graphics/") + name, bytes);
}

} // namespace

void ShellTest::about_data()
{
    QTest::addColumn<bool>("set"); // else no settings file
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("labels"); // title, version, copyright
    QTest::newRow("defaults") << false << "About Configuration Utility"
                              << QStringList{"Device Server Configuration Utility", "Version ",
                                             " "};
    QTest::newRow("settings trimmed")
        << true << "About Port Manager"
        << QStringList{"Serial Box Port Manager", "Version 2.5.1", "Copyright 2026 Example Works"};
}

void ShellTest::about()
{
    QFETCH(bool, set);
    TestContext tc;
    if (set) {
        SettingsRecord &s = tc.context.settings;
        s.ProductName = QStringLiteral("  Serial Box  ");
        s.TitleBarName = fixedWidth(QStringLiteral("  Port Manager"), 32);
        s.VersionNum = fixedWidth(QStringLiteral("2.5.1"), 12);
        s.CopyrightYear = fixedWidth(QStringLiteral("Copyright 2026"), 20);
        s.CompanyName = fixedWidth(QStringLiteral(" Example Works"), 32);
    }
    AboutDialog about(tc.context);
    QCOMPARE(about.objectName(), QStringLiteral("frmAbout"));
    QVERIFY(about.isModal());
    QTEST(about.windowTitle(), "caption");
    QTEST((QStringList{label(&about, "lblTitle"), label(&about, "lblVersion"),
                       label(&about, "lblCopyright")}),
          "labels");
    QCOMPARE(label(&about, "lblDescription"), kDescription);
    QVERIFY(label(&about, "lblDisclaimer").startsWith(QLatin1String("Warning: ")));
    QCOMPARE(about.findChild<QPushButton *>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
}

void ShellTest::aboutLoadsEachTimeAndOkCloses()
{
    TestContext tc;
    WindowGuard window{new MainWindow(tc.context, programTools())};
    window->show();
    QStringList seen;
    auto look = [&seen](QDialog *about) {
        seen << about->objectName() + QLatin1Char('|') + label(about, "lblVersion");
    };

    whileModalIsUp(look);
    item(window.window, QStringLiteral("mnuHelpAbout"))->trigger();
    tc.context.settings.VersionNum = fixedWidth(QStringLiteral("9.9"), 12);
    whileModalIsUp(look);
    item(window.window, QStringLiteral("mnuHelpAbout"))->trigger();

    // trigger() returned, so cmdOK ended the modal box each time.
    QCOMPARE(seen, (QStringList{"frmAbout|Version ", "frmAbout|Version 9.9"}));
    QTRY_VERIFY(!window->findChild<AboutDialog *>());
    QVERIFY(!window->dialogs().dialog(QStringLiteral("frmAbout")));
}

void ShellTest::helpMessages_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("menuItem");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    const QString notes = QStringLiteral("Firmware revision release notes for any\r\n"
                                         "of the products can be obtained from\r\n");
    const QString updates = QStringLiteral("Subscribe to be notified of new firmware\r\n"
                                           "releases by sending an email request to\r\n");
    QTest::newRow("release notes")
        << QByteArray("[Company]\r\nRelNotesURL=  http://www.example.com/notes  \r\n")
        << "mnuHelpReleaseNotes"
        << "Release Notes" << notes + "http://www.example.com/notes";
    QTest::newRow("release notes, empty address")
        << QByteArray("[Company]\r\nRelNotesURL=\r\n") << "mnuHelpReleaseNotes"
        << "Release Notes" << notes;
    QTest::newRow("release notes, no settings file") << QByteArray() << "mnuHelpReleaseNotes"
                                                     << "Release Notes" << notes;
    QTest::newRow("updates") << QByteArray(
                                    "[company]\r\nSubscribeUpdatesEmail=updates@example.com\r\n")
                             << "mnuHelpSubscribeToUpdates"
                             << "Firmware Updates" << updates + "updates@example.com";
    QTest::newRow("updates, no settings file") << QByteArray() << "mnuHelpSubscribeToUpdates"
                                               << "Firmware Updates" << updates;
}

void ShellTest::helpMessages()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, menuItem);
    QFETCH(QString, title);
    QFETCH(QString, text);
    TestContext tc(ini);
    WindowGuard window{new MainWindow(tc.context, programTools())};
    item(window.window, menuItem)->trigger();
    QCOMPARE(tc.prompts.count(), 1);
    QCOMPARE(said(tc.prompts), QStringList{title + "|Information|" + text});
    QCOMPARE(tc.prompts.shown().first().buttons, PromptButtons::Ok);
}

void ShellTest::pictures_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("files"); // what stands under the names

    const QByteArray named = "[Images]\r\nSplashScreenLogo=splash.png\r\n"
                             "TitleBarIcon=appicon.png\r\nAboutBoxGraphic=about.png\r\n";
    QTest::newRow("pictures") << named << "png";
    QTest::newRow("no settings file, no Graphics folder") << QByteArray() << "none";
    QTest::newRow("named files missing") << named << "none";
    QTest::newRow("named files are not pictures") << named << "garbage";
    // Opening a FIFO would wait for a writer: every window must skip it.
    QTest::newRow("named files are FIFOs") << named << "fifo";
}

// Each window shows its picture when there is one, else goes without.
void ShellTest::pictures()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, files);
    TestContext tc(ini);
    const QSize sizes[] = {{120, 70}, {32, 32}, {200, 100}, {32, 32}};
    int i = 0;
    for (const char *name : {"splash.png", "appicon.png", "about.png", "tb_ping.png"}) {
        const QSize size = sizes[i++];
        if (files == "png") {
            addGraphics(tc, QString::fromLatin1(name), png(size.width(), size.height()));
        } else if (files == "garbage") {
            addGraphics(tc, QString::fromLatin1(name), QByteArray("not a picture\r\n"));
        } else if (files == "fifo") {
            QDir(tc.folder()).mkpath(QStringLiteral("Graphics"));
            const QString path = tc.path(QStringLiteral("Graphics/") + QString::fromLatin1(name));
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        }
    }
    const bool shown = files == "png";

    WindowGuard window{new MainWindow(tc.context, programTools())};
    window->show();
    QCOMPARE(!window->windowIcon().isNull(), shown);
    for (const ExpectedTool &tool : kExpectedTools) // only Ping has a picture
        QVERIFY2(button(window.window, QString::fromLatin1(tool.key))->icon().isNull() !=
                     (shown && QLatin1String(tool.key) == QLatin1String("Ping")),
                 tool.key);

    AboutDialog about(tc.context);
    about.show();
    QCOMPARE(about.hasBackground(), shown);
    QCOMPARE(!about.windowIcon().isNull(), shown);

    SplashWindow splash(tc.context);
    splash.show();
    QCOMPARE(splash.picture().isNull(), !shown);
    if (shown) {
        QCOMPARE(splash.picture().size(), QSize(120, 70));
        QCOMPARE(splash.size(), QSize(120, 70));
    }
    QVERIFY(!splash.grab().isNull()); // paints, with or without its picture

    ToolDialog tool(tc.context, QStringLiteral("frmTool"), QStringLiteral("Tool"));
    QCOMPARE(!tool.windowIcon().isNull(), shown);
}

void ShellTest::toolbarPictures_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("file");
    for (const ExpectedTool &tool : kExpectedTools)
        QTest::newRow(tool.key) << QString::fromLatin1(tool.key) << QString::fromLatin1(tool.icon);
}

// Each button shows the picture its own tool names, and no other button does.
void ShellTest::toolbarPictures()
{
    QFETCH(QString, key);
    QFETCH(QString, file);
    TestContext tc;
    addGraphics(tc, file, png(32, 32));
    WindowGuard window{new MainWindow(tc.context, programTools())};
    for (const ExpectedTool &tool : kExpectedTools)
        QVERIFY2(button(window.window, QString::fromLatin1(tool.key))->icon().isNull() !=
                     (key == QLatin1String(tool.key)),
                 tool.key);
}

void ShellTest::fileFilters_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qtFilter");
    QTest::newRow("all files include names without a dot")
        << "Text Files (*.txt)|*.txt|All Files (*.*)|*.*"
        << "Text Files (*.txt);;All Files (*)";
    QTest::newRow("one pair") << "Text Files (*.txt)|*.txt"
                              << "Text Files (*.txt)";
    QTest::newRow("several patterns") << "Images|*.png;*.*"
                                      << "Images (*.png *)";
}

void ShellTest::fileFilters()
{
    QFETCH(QString, filter);
    QTEST(qtFileFilter(filter), "qtFilter");
}

void ShellTest::startup_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("caption");

    const QString forty = QStringLiteral("Device Server Configuration Utility 2026");
    QCOMPARE(forty.size(), 40);
    QTest::newRow("no settings file")
        << QByteArray() << QStringLiteral("Configuration Utility           ");
    QTest::newRow("short name keeps the field's blanks")
        << QByteArray("[Application]\r\nTitleBarName=  Port Manager  \r\n")
        << QStringLiteral("Port Manager                    ");
    QTest::newRow("40 characters show the first 32")
        << QByteArray("[Application]\r\nTitleBarName=") + forty.toLatin1() + "\r\n"
        << forty.left(32);
}

void ShellTest::startup()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, caption);
    TestContext tc(ini);
    tc.context.currentDeviceAddress = QStringLiteral("10.1.2.3");
    StandIns standIns;
    Startup run(tc.context, standIns.tools());

    // Look at the screen while the splash wait runs.
    bool splashUp = false;
    bool mainUpDuringSplash = false;
    QTimer::singleShot(10, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmSplash") && w->isVisible())
                splashUp = true;
            if (w->objectName() == QLatin1String("frmMain"))
                mainUpDuringSplash = true;
        }
    });
    QElapsedTimer clock;
    clock.start();
    run.Main();
    QVERIFY(clock.elapsed() >= tc.context.intervals.splashMs);

    QVERIFY(splashUp);
    QVERIFY(!mainUpDuringSplash);
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(w->objectName() != QLatin1String("frmSplash")); // released
    QVERIFY(run.mainWindow());
    QVERIFY(run.mainWindow()->isVisible());
    QCOMPARE(run.mainWindow()->windowTitle(), caption);
    QVERIFY(tc.context.currentDeviceAddress.isEmpty());
}
