#include "TestToolDialogs.h"

#include "DesktopSandbox.h"
#include "TestContext.h"
#include "gui/shell/DialogRegistry.h"
#include "gui/telnet/TelnetDeviceDialog.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

// A Telnet dialog whose two telnet folders and terminal are stand-ins in a
// temporary desktop. The terminal records its arguments and runs the rest of
// them (the telnet stand-in), as x-terminal-emulator -e does.
struct TelnetRun {
    explicit TelnetRun(bool withTerminal = true)
    {
        QDir().mkpath(system);
        QDir().mkpath(windows);
        if (withTerminal)
            sandbox.writeStandIn(QStringLiteral("bin/x-terminal-emulator"), "shift\nexec \"$@\"\n");
        t.context.settings.SystemDirectory = system;
        t.context.settings.WindowsDirectory = windows;
        t.context.currentDeviceAddress = QStringLiteral("127.0.0.5");
        dialog = new TelnetDeviceDialog(t.context);
        dialog->show();
    }
    ~TelnetRun() { delete dialog.data(); }

    template <typename T> T *find(const char *name) const
    {
        return dialog->findChild<T *>(QString::fromLatin1(name));
    }
    QString telnetIn(const QString &folder) const
    {
        return sandbox.writeStandIn(QDir(sandbox.path(QString())).relativeFilePath(folder) +
                                    QStringLiteral("/telnet"));
    }
    QList<QStringList> terminalRuns() const
    {
        return DesktopSandbox::runsOf(sandbox.path(QStringLiteral("bin/x-terminal-emulator")));
    }
    void click() const { QTest::mouseClick(find<QPushButton>("cmdTelnet"), Qt::LeftButton); }

    DesktopSandbox sandbox;
    TestContext t;
    QString system = sandbox.path(QStringLiteral("usr-bin"));
    QString windows = sandbox.path(QStringLiteral("bin-old"));
    QPointer<TelnetDeviceDialog> dialog;
};

} // namespace

void TestToolDialogs::telnetFoundInSecondFolderIsRemembered()
{
    TelnetRun run;
    const QString telnet = run.telnetIn(run.windows);
    run.click();
    QTRY_COMPARE(DesktopSandbox::runsOf(telnet).size(), 1);
    QCOMPARE(run.terminalRuns(), (QList<QStringList>{{"-e", telnet, "127.0.0.5", "9999"}}));
    QCOMPARE(DesktopSandbox::runsOf(telnet).first(), (QStringList{"127.0.0.5", "9999"}));
    QCOMPARE(run.dialog->telnetFolder(), run.windows);

    // The next click starts in the folder that worked, though the other has
    // the program now.
    run.telnetIn(run.system);
    run.click();
    QTRY_COMPARE(DesktopSandbox::runsOf(telnet).size(), 2);
    QCOMPARE(run.terminalRuns().last().value(1), telnet);
    QCOMPARE(run.t.prompts.count(), 0);
}

void TestToolDialogs::telnetMissingEverywhere()
{
    TelnetRun run;
    run.t.prompts.answer(PromptAnswer::Cancel);
    run.click();
    QCOMPARE(run.t.prompts.count(), 1);
    const auto shown = run.t.prompts.shown().first();
    QCOMPARE(shown.title, QStringLiteral("Error Condition"));
    QCOMPARE(shown.text, TelnetDeviceDialog::kTelnetNotFoundText);
    QCOMPARE(shown.icon, PromptIcon::None);
    QCOMPARE(shown.buttons, PromptButtons::OkCancel);
    // Tried: system, Windows, system.
    QCOMPARE(run.dialog->telnetFolder(), run.system);
    QTest::qWait(200);
    QCOMPARE(run.terminalRuns().size(), 0);
}

void TestToolDialogs::telnetArgumentsAsTyped_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("portArgument");
    QTest::newRow("hostile port") << "127.0.0.5"
                                  << "9999; /usr/bin/touch %1"
                                  << "9999; /usr/bin/touch %1";
    QTest::newRow("quotes and substitutions") << "127.0.0.5"
                                              << "'$(/usr/bin/touch %1)`\""
                                              << "'$(/usr/bin/touch %1)`\"";
    QTest::newRow("empty port") << "127.0.0.5"
                                << ""
                                << "23";
    QTest::newRow("service name") << "127.0.0.5"
                                  << "telnet"
                                  << "telnet";
    QTest::newRow("blanks around the address") << "  127.0.0.5 "
                                               << "10001 "
                                               << "10001 ";
}

// The address reaches telnet trimmed, the port as one word exactly as typed,
// and nothing else runs.
void TestToolDialogs::telnetArgumentsAsTyped()
{
    QFETCH(QString, address);
    QFETCH(QString, port);
    QFETCH(QString, portArgument);
    TelnetRun run;
    const QString marker = run.sandbox.path(QStringLiteral("touched"));
    const QString telnet = run.telnetIn(run.system);
    run.find<QLineEdit>("txtIPAddress")->setText(address);
    run.find<QComboBox>("cboPortNum")->setEditText(port.replace(QStringLiteral("%1"), marker));
    run.click();
    QTRY_COMPARE(DesktopSandbox::runsOf(telnet).size(), 1);
    QCOMPARE(DesktopSandbox::runsOf(telnet).first(),
             (QStringList{"127.0.0.5", portArgument.replace(QStringLiteral("%1"), marker)}));
    QCOMPARE(run.t.context.currentDeviceAddress, QStringLiteral("127.0.0.5"));
    QVERIFY(!QFile::exists(marker));
}

void TestToolDialogs::telnetWithoutTerminal_data()
{
    QTest::addColumn<QByteArray>("terminal"); // empty: none at all
    QTest::newRow("no terminal") << QByteArray();
    QTest::newRow("terminal that cannot start") << QByteArray("#!/nonexistent/interpreter\n");
}

// No terminal: a message that names what to install. A terminal that is
// there but does not start: logged only.
void TestToolDialogs::telnetWithoutTerminal()
{
    QFETCH(QByteArray, terminal);
    TelnetRun run(false);
    if (!terminal.isEmpty()) {
        const QString path = run.sandbox.path(QStringLiteral("bin/x-terminal-emulator"));
        run.sandbox.write(QStringLiteral("bin/x-terminal-emulator"), terminal);
        QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    const QString telnet = run.telnetIn(run.system);
    run.click();
    const QByteArray log = run.t.readFile(QStringLiteral("ErrorLog.txt"));
    if (terminal.isEmpty()) {
        QCOMPARE(run.t.prompts.count(), 1);
        QCOMPARE(run.t.prompts.shown().first().text, TelnetDeviceDialog::kNoTerminalText);
        QCOMPARE(run.t.prompts.shown().first().icon, PromptIcon::Exclamation);
        QCOMPARE(log, QByteArray());
    } else {
        QCOMPARE(run.t.prompts.count(), 0);
        QVERIFY2(log.contains(",\"cmdTelnet_Click in Telnet Device\","), log.constData());
    }
    QCOMPARE(run.dialog->telnetFolder(), run.system);
    QTest::qWait(200);
    QCOMPARE(DesktopSandbox::runsOf(telnet).size(), 0);
}

void TestToolDialogs::telnetPortListOnEnter()
{
    TelnetRun run;
    auto *ports = run.find<QComboBox>("cboPortNum");
    QCOMPARE(ports->currentText(), QStringLiteral("9999"));
    const auto items = [ports] {
        QStringList all;
        for (int i = 0; i < ports->count(); ++i)
            all << ports->itemText(i);
        return all;
    };
    QCOMPARE(items(), (QStringList{"9999", "10001", "10002", "telnet"}));
    for (const char *typed : {"9999", "9999 ", "Telnet", "", "telnet", "9999 "}) {
        ports->setFocus();
        ports->setEditText(QString::fromLatin1(typed));
        QTest::keyClick(ports, Qt::Key_Return);
        QCOMPARE(run.dialog->focusWidget(), run.find<QPushButton>("cmdTelnet"));
    }
    QCOMPARE(items(), (QStringList{"9999", "10001", "10002", "telnet", "9999 ", "Telnet", ""}));
    QCOMPARE(run.terminalRuns().size(), 0); // Enter never starts telnet
}

// A user's close only hides: the port list and the telnet folder survive, and
// showing it again brings the Current device address. The program's end
// closes it.
void TestToolDialogs::telnetCloseOnlyHides()
{
    TelnetRun run;
    QCOMPARE(run.find<QLineEdit>("txtIPAddress")->text(), QStringLiteral("127.0.0.5"));
    const QString telnet = run.telnetIn(run.windows);
    run.click();
    QTRY_COMPARE(DesktopSandbox::runsOf(telnet).size(), 1);
    auto *ports = run.find<QComboBox>("cboPortNum");
    ports->addItem(QStringLiteral("2323"));

    QVERIFY(!run.dialog->close());
    QVERIFY(run.dialog->isHidden());
    run.t.context.currentDeviceAddress = QStringLiteral("127.0.0.9");
    run.dialog->show();
    QCOMPARE(run.find<QLineEdit>("txtIPAddress")->text(), QStringLiteral("127.0.0.9"));
    QCOMPARE(ports->count(), 5);
    QCOMPARE(run.dialog->telnetFolder(), run.windows);

    run.dialog->setProperty(kProgramEndingProperty, true);
    QVERIFY(run.dialog->close());
}
