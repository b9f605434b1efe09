#include "TestToolDialogs.h"

#include "DialogChecks.h"
#include "TestContext.h"
#include "core/device/DeviceQuery.h"
#include "core/support/SharedMessages.h"
#include "gui/ToolTable.h"
#include "gui/query/QueryDeviceDialog.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

void TestToolDialogs::invalidAddressRefused_data()
{
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("button"); // empty: Enter in the address box
    QTest::newRow("ping") << "frmPingDevice"
                          << "cmdPing";
    QTest::newRow("telnet") << "frmTelnetDevice"
                            << "cmdTelnet";
    QTest::newRow("web") << "frmWebConfig"
                         << "cmdWebConfig";
    QTest::newRow("query, Enter") << "frmQueryDevice" << QString();
}

// A bad address is refused with the shared message before anything else.
void TestToolDialogs::invalidAddressRefused()
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

    if (button.isEmpty()) {
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QTest::keyClick(address, Qt::Key_Return);
        QCOMPARE(dialog->focusWidget(), address);
        QVERIFY(!qobject_cast<QueryDeviceDialog *>(dialog.get())->query().awaitingReply());
    } else {
        QTest::mouseClick(dialog->findChild<QPushButton *>(button), Qt::LeftButton);
    }
    QCOMPARE(said(t.prompts), saidBy(ShowInvalidIPAddressMessage));
    QCOMPARE(address->text(), QString());
    QCOMPARE(t.context.currentDeviceAddress, QStringLiteral("127.0.0.5"));
    if (results)
        QCOMPARE(results->toPlainText(), QString());
}
