#include "TestToolDialogs.h"

#include "DesktopSandbox.h"
#include "TestContext.h"
#include "gui/ToolTable.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

std::unique_ptr<QWidget> makeTool(const QString &form, AppContext &context)
{
    for (const ToolEntry &tool : programTools())
        if (tool.formName == form) {
            std::unique_ptr<QWidget> dialog(tool.create(context, nullptr));
            dialog->setAttribute(Qt::WA_DeleteOnClose, false);
            return dialog;
        }
    return nullptr;
}

QString captionOf(const QWidget *widget)
{
    if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
        return frame->title();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *box = qobject_cast<const QComboBox *>(widget))
        return box->currentText();
    return widget->windowTitle();
}

} // namespace

void TestToolDialogs::controlsAndCaptions()
{
    const QList<QStringList> expected = {
        {"frmPingDevice", "frmPingDevice", "Ping Device"},
        {"frmPingDevice", "fraTarget", "Target"},
        {"frmPingDevice", "lblIPAddress", "Enter IP Address:"},
        {"frmPingDevice", "cmdPing", "Ping"},
        {"frmPingDevice", "lblStatus", "Status"},
        {"frmPingDevice", "cmdClearDisplay", "Clear Status"},
        {"frmTelnetDevice", "frmTelnetDevice", "Telnet to Device"},
        {"frmTelnetDevice", "fraTarget", "Target"},
        {"frmTelnetDevice", "lblIPAddress", "Enter IP Address:"},
        {"frmTelnetDevice", "lblPort", "Port:"},
        {"frmTelnetDevice", "cboPortNum", "9999"},
        {"frmTelnetDevice", "cmdTelnet", "Telnet"},
        {"frmWebConfig", "frmWebConfig", "Web Configuration"},
        {"frmWebConfig", "fraTarget", "Target"},
        {"frmWebConfig", "lblIPAddress", "Enter IP Address:"},
        {"frmWebConfig", "cmdWebConfig", "Open Web Browser"},
    };
    TestContext t;
    for (const QStringList &row : expected) {
        const std::unique_ptr<QWidget> dialog = makeTool(row[0], t.context);
        QWidget *widget = row[1] == row[0] ? dialog.get() : dialog->findChild<QWidget *>(row[1]);
        QVERIFY2(widget, qPrintable(row.join(QLatin1Char(' '))));
        QCOMPARE(captionOf(widget), row[2]);
    }
    const std::unique_ptr<QWidget> ping = makeTool(QStringLiteral("frmPingDevice"), t.context);
    const auto *results = ping->findChild<QPlainTextEdit *>(QStringLiteral("txtReplyStatus"));
    QVERIFY(QFontInfo(results->font()).fixedPitch());
    QVERIFY(!ping->findChild<QLabel *>(QStringLiteral("lblStatus"))->isEnabled());
}

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
    const std::unique_ptr<QWidget> dialog = makeTool(form, t.context);
    QVERIFY(dialog);
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
