#include "ShellTest.h"
#include "ShellTestSupport.h"
#include "TestContext.h"

#include "gui/shell/MainWindow.h"

#include <QApplication>
#include <QTest>
#include <QToolBar>

// Chosen twice, a dialog stays one; closed, it is made again or shown again.
void ShellTest::dialogsOfTheRegistry()
{
    TestContext tc;
    StandIns standIns;
    standIns.hiding = {QStringLiteral("frmTelnetDevice")};
    WindowGuard window{new MainWindow(tc.context, standIns.tools())};
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.window));

    item(window.window, QStringLiteral("mnuToolsPingDevice"))->trigger();
    const auto *bar = window->findChild<QToolBar *>(QStringLiteral("tbrCustomTools"));
    QTest::mouseClick(bar->widgetForAction(button(window.window, QStringLiteral("Ping"))),
                      Qt::LeftButton);
    item(window.window, QStringLiteral("mnuToolsPingDevice"))->trigger();

    QCOMPARE(standIns.made, QStringList{QStringLiteral("frmPingDevice")});
    QCOMPARE(windowsNamed(QStringLiteral("frmPingDevice")), 1);

    // A tool without a dialog yet opens nothing.
    standIns.missing = {QStringLiteral("frmQueryDevice")};
    item(window.window, QStringLiteral("mnuToolsQueryDevice"))->trigger();
    QCOMPARE(windowsNamed(QStringLiteral("frmQueryDevice")), 0);
    QVERIFY(!window->dialogs().dialog(QStringLiteral("frmQueryDevice")));

    // Destroys itself when closed: chosen again at once, a new one is made.
    QPointer<QWidget> first = window->dialogs().dialog(QStringLiteral("frmPingDevice"));
    first->close();
    window->tbrCustomTools_ButtonClick(QStringLiteral("Ping"));
    QCOMPARE(standIns.made.count(QStringLiteral("frmPingDevice")), 2);
    QWidget *second = window->dialogs().dialog(QStringLiteral("frmPingDevice"));
    QVERIFY(second != first.data());
    QVERIFY(second->isVisible());
    QTRY_VERIFY(first.isNull());

    // Hides itself when closed: the same one is shown again.
    window->tbrCustomTools_ButtonClick(QStringLiteral("Telnet"));
    QPointer<QWidget> telnet = window->dialogs().dialog(QStringLiteral("frmTelnetDevice"));
    telnet->close();
    QVERIFY(telnet && !telnet->isVisible());
    window->tbrCustomTools_ButtonClick(QStringLiteral("Telnet"));
    QCOMPARE(standIns.made.count(QStringLiteral("frmTelnetDevice")), 1);
    QVERIFY(telnet && telnet->isVisible());
    QCOMPARE(standIns.closed, QStringList{"frmPingDevice"});
}

void ShellTest::unloadAllForms_data()
{
    QTest::addColumn<QStringList>("open"); // in the order the user opened them
    QTest::addColumn<bool>("byExitItem");  // else by the title bar
    QTest::addColumn<bool>("withAbout");

    const QStringList all = {QStringLiteral("frmWebConfig"),   QStringLiteral("frmPingDevice"),
                             QStringLiteral("frmDataFile"),    QStringLiteral("frmTelnetDevice"),
                             QStringLiteral("frmAssignIP"),    QStringLiteral("frmLoadWebPages"),
                             QStringLiteral("frmQueryDevice"), QStringLiteral("frmLoadFirmware")};
    QTest::newRow("all, exit item, About up") << all << true << true;
    QTest::newRow("all, title bar") << all << false << false;
    QTest::newRow("some, exit item")
        << QStringList{QStringLiteral("frmWebConfig"), QStringLiteral("frmAssignIP"),
                       QStringLiteral("frmPingDevice")}
        << true << false;
    QTest::newRow("none, title bar") << QStringList() << false << false;
}

void ShellTest::unloadAllForms()
{
    QFETCH(QStringList, open);
    QFETCH(bool, byExitItem);
    QFETCH(bool, withAbout);
    TestContext tc;
    StandIns standIns;
    standIns.hiding = {QStringLiteral("frmTelnetDevice")};
    WindowGuard window{new MainWindow(tc.context, standIns.tools())};
    CloseRecorder recorder(&standIns.closed);
    window->installEventFilter(&recorder);
    window->show();

    QList<QPointer<QWidget>> dialogs;
    for (const QString &id : open) {
        window->tbrCustomTools_ButtonClick(keyOf(id));
        dialogs << window->dialogs().dialog(id);
    }
    // A dialog that hides on a user close is still closed for good at the end.
    if (QWidget *telnet = window->dialogs().dialog(QStringLiteral("frmTelnetDevice")))
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

    for (const QString &form : kCloseOrder)
        if (open.contains(form))
            expected << form;
    expected << QStringLiteral("frmMain");
    QCOMPARE(standIns.closed, expected);

    // Everything is released and no window stays: the program ends.
    for (const QPointer<QWidget> &d : dialogs)
        QTRY_VERIFY(d.isNull());
    QTRY_VERIFY(window.window.isNull());
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
}

void ShellTest::realDialogsOpenOnceAndCloseAtEnd()
{
    // The program's own factory: every dialog plugged in so far carries its
    // form name, opens once, and is gone after the program end.
    TestContext tc;
    WindowGuard window{new MainWindow(tc.context, programTools())};
    window->show();
    QList<QPointer<QWidget>> dialogs;
    for (const ExpectedTool &tool : kExpectedTools) {
        window->tbrCustomTools_ButtonClick(QString::fromLatin1(tool.key));
        item(window.window, QString::fromLatin1(tool.item))->trigger();
        QWidget *dialog = window->dialogs().dialog(QString::fromLatin1(tool.form));
        if (!dialog)
            continue; // that tool has no dialog yet
        QCOMPARE(dialog->objectName(), QString::fromLatin1(tool.form));
        QVERIFY(dialog->isWindow());
        QCOMPARE(windowsNamed(QString::fromLatin1(tool.form)), 1);
        dialogs << dialog;
    }
    item(window.window, QStringLiteral("mnuFileExit"))->trigger();
    for (const QPointer<QWidget> &d : dialogs)
        QTRY_VERIFY(d.isNull());
    QTRY_VERIFY(window.window.isNull());
}
