#include "TestToolDialogs.h"

#include "DialogChecks.h"
#include "TestContext.h"
#include "core/support/SharedMessages.h"
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

// A bad address is refused with the shared message before anything else.
void TestToolDialogs::invalidAddressOnClick()
{
    QFETCH(QString, form);
    QFETCH(QString, button);
    TestContext t;
    t.context.currentDeviceAddress = QStringLiteral("127.0.0.5");
    std::unique_ptr<QWidget> dialog;
    for (const ToolEntry &tool : programTools())
        if (tool.formName == form)
            dialog.reset(tool.create(t.context, nullptr));
    QVERIFY(dialog);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->show();
    auto *address = dialog->findChild<QLineEdit *>(QStringLiteral("txtIPAddress"));
    QCOMPARE(address->text(), QStringLiteral("127.0.0.5"));
    address->setText(QStringLiteral("10.0.0.256"));
    auto *results = dialog->findChild<QPlainTextEdit *>(QStringLiteral("txtReplyStatus"));
    if (results)
        results->setPlainText(QStringLiteral("earlier results"));

    QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(said(t.prompts), saidBy(ShowInvalidIPAddressMessage));
    QCOMPARE(address->text(), QString());
    QCOMPARE(t.context.currentDeviceAddress, QStringLiteral("127.0.0.5"));
    if (results)
        QCOMPARE(results->toPlainText(), QString());
}
