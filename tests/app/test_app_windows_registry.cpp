#include "TestContext.h"
#include "test_app_windows.h"
#include "test_app_windows_support.h"

#include "app/MainWindow.h"

#include <QApplication>
#include <QTest>
#include <QToolBar>

Q_DECLARE_METATYPE(DialogId)

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
