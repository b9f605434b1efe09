#include "TestToolDialogs.h"

#include "DesktopSandbox.h"
#include "DialogChecks.h"
#include "TestContext.h"
#include "core/support/SharedMessages.h"
#include "gui/shell/DialogRegistry.h"
#include "gui/telnet/TelnetDeviceDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

// A Telnet dialog whose two telnet folders and terminal are stand-ins in a
// temporary desktop. The terminal records its arguments and runs the rest of
// them (the telnet stand-in), as x-terminal-emulator -e does.
struct TelnetRun {
    explicit TelnetRun(const QByteArray &terminal = "shift\nexec \"$@\"\n")
    {
        if (!terminal.isNull())
            sandbox.writeStandIn(QStringLiteral("bin/x-terminal-emulator"), terminal);
        t.context.settings.SystemDirectory = sandbox.path(QStringLiteral("sys"));
        t.context.settings.WindowsDirectory = sandbox.path(QStringLiteral("win"));
        t.context.currentDeviceAddress = QStringLiteral("127.0.0.5");
        dialog = new TelnetDeviceDialog(t.context);
        dialog->show();
        ports = dialog->findChild<QComboBox *>(QStringLiteral("cboPortNum"));
    }
    ~TelnetRun() { delete dialog.data(); }

    // Puts a telnet stand-in into "sys" or "win"; returns its path.
    QString telnetIn(const char *folder) const
    {
        return sandbox.writeStandIn(QLatin1String(folder) + QStringLiteral("/telnet"));
    }
    QList<QStringList> terminalRuns() const
    {
        return DesktopSandbox::runsOf(sandbox.path(QStringLiteral("bin/x-terminal-emulator")));
    }
    void click() const
    {
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdTelnet")),
                          Qt::LeftButton);
    }

    DesktopSandbox sandbox;
    TestContext t;
    QPointer<TelnetDeviceDialog> dialog;
    QComboBox *ports = nullptr;
};

} // namespace

// Enter in the port list adds a text that no item equals exactly, empty
// included, and moves on to the button. Telnet missing from the system
// folder is found in the Windows folder; the next click starts there, though
// the system folder has the program by then. A user's close only hides the
// dialog: the list and the telnet folder survive and showing it again brings
// the Current device address; the program's end closes it.
void TestToolDialogs::telnetSession()
{
    TelnetRun run;
    for (const char *typed : {"9999", "9999 ", "Telnet", "", "telnet", "9999 "}) {
        run.ports->setFocus();
        run.ports->setEditText(QString::fromLatin1(typed));
        QTest::keyClick(run.ports, Qt::Key_Return);
        QCOMPARE(run.dialog->focusWidget()->objectName(), QStringLiteral("cmdTelnet"));
    }
    QStringList items;
    for (int i = 0; i < run.ports->count(); ++i)
        items << run.ports->itemText(i);
    QCOMPARE(items, (QStringList{"9999", "10001", "10002", "telnet", "9999 ", "Telnet", ""}));
    QCOMPARE(run.terminalRuns().size(), 0);

    run.ports->setCurrentIndex(0);
    const QString telnet = run.telnetIn("win");
    run.click();
    QTRY_COMPARE(DesktopSandbox::runsOf(telnet).size(), 1);
    QCOMPARE(run.terminalRuns(), (QList<QStringList>{{"-e", telnet, "127.0.0.5", "9999"}}));
    QCOMPARE(DesktopSandbox::runsOf(telnet), (QList<QStringList>{{"127.0.0.5", "9999"}}));
    run.telnetIn("sys");
    run.click();
    QTRY_COMPARE(DesktopSandbox::runsOf(telnet).size(), 2);
    QCOMPARE(run.t.prompts.count(), 0);

    QVERIFY(!run.dialog->close());
    QVERIFY(run.dialog->isHidden());
    run.t.context.currentDeviceAddress = QStringLiteral("127.0.0.9");
    run.dialog->show();
    auto *address = run.dialog->findChild<QLineEdit *>(QStringLiteral("txtIPAddress"));
    QCOMPARE(address->text(), QStringLiteral("127.0.0.9"));
    QCOMPARE(run.ports->count(), 7);
    QCOMPARE(run.dialog->telnetFolder(), run.t.context.settings.WindowsDirectory);

    run.dialog->setProperty(kProgramEndingProperty, true);
    QVERIFY(run.dialog->close());
}

void TestToolDialogs::telnetArgumentsAsTyped_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port"); // %1: a file that must not come to exist
    QTest::addColumn<QString>("portArgument");
    QTest::newRow("hostile port") << "127.0.0.5"
                                  << "9999; /usr/bin/touch %1 `/usr/bin/touch %1`"
                                  << "9999; /usr/bin/touch %1 `/usr/bin/touch %1`";
    QTest::newRow("empty port") << "127.0.0.5"
                                << ""
                                << "23";
    QTest::newRow("service name") << "127.0.0.5"
                                  << "telnet"
                                  << "telnet";
    QTest::newRow("blanks around") << "  127.0.0.5 "
                                   << " 10001 "
                                   << "10001";
    QTest::newRow("only blanks") << "127.0.0.5"
                                 << "  "
                                 << "23";
    QTest::newRow("beginning of an item") << "127.0.0.5"
                                          << "1000"
                                          << "1000";
}

// The port is typed key by key, then Enter. The address reaches telnet
// trimmed, the port as one word as typed, trimmed, and nothing else runs.
void TestToolDialogs::telnetArgumentsAsTyped()
{
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(QString, portArgument);
    TelnetRun run;
    const QString marker = run.sandbox.path(QStringLiteral("touched"));
    const QString telnet = run.telnetIn("sys");
    run.dialog->findChild<QLineEdit *>(QStringLiteral("txtIPAddress"))->setText(address);
    run.ports->clearEditText();
    run.dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(run.dialog));
    run.ports->setFocus();
    QTest::keyClicks(run.ports, port.replace(QStringLiteral("%1"), marker));
    QTest::keyClick(run.ports, Qt::Key_Return);
    QCOMPARE(run.ports->currentText(), port);
    run.click();
    QTRY_COMPARE(DesktopSandbox::runsOf(telnet).size(), 1);
    QCOMPARE(DesktopSandbox::runsOf(telnet).first(),
             (QStringList{"127.0.0.5", portArgument.replace(QStringLiteral("%1"), marker)}));
    QCOMPARE(run.t.context.currentDeviceAddress, QStringLiteral("127.0.0.5"));
    QVERIFY(!QFile::exists(marker));
}

void TestToolDialogs::telnetCannotStart_data()
{
    // Null: none at all; a script of its own ("#!"), else a recording stand-in.
    QTest::addColumn<QByteArray>("terminal");
    QTest::addColumn<bool>("telnet"); // a telnet in the system folder
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QByteArray>("log"); // empty: nothing logged
    QTest::newRow("telnet nowhere")
        << QByteArray("shift\nexec \"$@\"\n") << false
        << QStringList{kErrorTitle + "|None|" + TelnetDeviceDialog::kTelnetNotFoundText}
        << QByteArray();
    // Names what to install.
    QTest::newRow("no terminal") << QByteArray() << true
                                 << QStringList{kErrorTitle + "|Exclamation|" +
                                                TelnetDeviceDialog::kNoTerminalText}
                                 << QByteArray();
    QTest::newRow("terminal that cannot start")
        << QByteArray("#!/nonexistent/interpreter\n") << true << QStringList()
        << QByteArray(",\"cmdTelnet_Click in Telnet Device\",");
}

// Telnet is looked for in three places (system, Windows, system) before the
// message; a terminal that is there but does not start is only logged.
void TestToolDialogs::telnetCannotStart()
{
    QFETCH(QByteArray, terminal);
    QFETCH(bool, telnet);
    QFETCH(QStringList, messages);
    QFETCH(QByteArray, log);
    const bool ownScript = terminal.startsWith("#!");
    TelnetRun run(ownScript ? QByteArray() : terminal);
    if (ownScript)
        run.sandbox.write(QStringLiteral("bin/x-terminal-emulator"), terminal, true);
    const QString program = telnet ? run.telnetIn("sys") : QString();
    run.t.prompts.answer(PromptAnswer::Cancel);
    run.click();
    QCOMPARE(said(run.t.prompts), messages);
    if (!telnet) {
        QCOMPARE(run.t.prompts.shown().first().buttons, PromptButtons::OkCancel);
        QCOMPARE(run.dialog->telnetFolder(), run.t.context.settings.SystemDirectory);
    }
    const QByteArray logged = run.t.readFile(QStringLiteral("ErrorLog.txt"));
    QVERIFY2(log.isEmpty() ? logged.isEmpty() : logged.contains(log), logged.constData());
    QTest::qWait(200);
    QCOMPARE(run.terminalRuns().size(), 0);
    if (telnet)
        QCOMPARE(DesktopSandbox::runsOf(program).size(), 0);
}
