#include "TestToolDialogs.h"

#include "DesktopSandbox.h"
#include "TestContext.h"
#include "gui/ToolTable.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

void TestToolDialogs::invalidAddressOnClick_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("button");
    QTest::newRow("ping") << "frmPingDevice"
                          << "cmdPing";
    QTest::newRow("telnet") << "frmTelnetDevice"
                            << "cmdTelnet";
    QTest::newRow("web") << "frmWebConfig"
                         << "cmdWebConfig";
}

// A bad address is refused before anything is pinged or started.
void TestToolDialogs::invalidAddressOnClick()
{
    QFETCH(QString, form);
    QFETCH(QString, button);
    DesktopSandbox sandbox;
    const QString program = sandbox.writeStandIn(QStringLiteral("bin/x-terminal-emulator"));
    sandbox.writeStandIn(QStringLiteral("bin/x-www-browser"));
    TestContext t;
    t.context.settings.SystemDirectory = sandbox.path(QStringLiteral("bin"));
    sandbox.writeStandIn(QStringLiteral("bin/telnet"));
    t.context.currentDeviceAddress = QStringLiteral("127.0.0.5");
    std::unique_ptr<QWidget> dialog;
    for (const ToolEntry &tool : programTools())
        if (tool.formName == form)
            dialog.reset(tool.create(t.context, nullptr));
    QVERIFY(dialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->show();
    auto *address = dialog->findChild<QLineEdit *>(QStringLiteral("txtIPAddress"));
    address->setText(QStringLiteral("10.0.0.256"));
    if (auto *results = dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtReplyStatus")))
        results->setPlainText(QStringLiteral("earlier results"));

    QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(t.prompts.count(), 1);
    QCOMPARE(t.prompts.shown().first().title, QStringLiteral("Error Condition"));
    QCOMPARE(t.prompts.shown().first().icon, PromptIcon::Exclamation);
    QVERIFY(t.prompts.shown().first().text.startsWith(QLatin1String("Invalid range")));
    QCOMPARE(address->text(), QString());
    QCOMPARE(t.context.currentDeviceAddress, QStringLiteral("127.0.0.5"));
    if (auto *results = dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtReplyStatus")))
        QCOMPARE(results->toPlainText(), QString());
    QTest::qWait(200);
    QCOMPARE(DesktopSandbox::runsOf(program).size(), 0);
    QCOMPARE(DesktopSandbox::runsOf(sandbox.path(QStringLiteral("bin/x-www-browser"))).size(), 0);
}
