#include "TestDownloadDialogs.h"

#include "DialogTestSupport.h"
#include "core/tftp/TftpPackets.h"
#include "gui/download/DownloadChoices.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

void TestDownloadDialogs::webDirectoryIsTheDeviceFileName_data()
{
    QTest::addColumn<QString>("typed"); // empty: pick the first entry
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("WEB1") << QString()
                          << QByteArray::fromHex("00025745423100"
                                                 "6f6374657400");
    QTest::newRow("typed, trimmed") << "  MYDIR " << Tftp::writeRequest("MYDIR");
}

void TestDownloadDialogs::webDirectoryIsTheDeviceFileName()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, request);
    DialogRun run(DownloadKind::WebPages);
    QVERIFY(run.simStarted);
    run.open();
    if (typed.isEmpty())
        run.destination()->setCurrentIndex(0);
    else
        run.destination()->setEditText(typed);
    const QByteArray bytes = testBytes(1234);
    run.fileBox()->setText(run.source("pages.WPK", bytes));
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QTRY_COMPARE(run.tc.prompts.messageTexts(), QStringList{"File download successful!"});
    QCOMPARE(run.received().first(), request);
    QCOMPARE(run.tc.context.memory.of<WebPageChoices>().LastWebDirectory,
             typed.isEmpty() ? QStringLiteral("WEB1") : typed.trimmed());
    QCOMPARE(run.sim.storedFile(run.tc.context.memory.of<WebPageChoices>().LastWebDirectory),
             bytes);
}

void TestDownloadDialogs::webDirectoryRemembered()
{
    DialogRun run(DownloadKind::WebPages);
    QVERIFY(run.simStarted);
    run.open();
    QStringList items;
    for (int i = 0; i < run.destination()->count(); ++i)
        items << run.destination()->itemText(i);
    QCOMPARE(items, QStringList({"WEB1", "WEB2", "WEB3", "WEB4", "WEB5", "WEB6"}));
    QCOMPARE(run.destination()->currentText(), QStringLiteral("WEB6"));
    QVERIFY(run.destination()->isEditable());

    run.destination()->setCurrentIndex(1);
    run.fileBox()->setText(run.source("pages.WPK", testBytes(10)));
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QTRY_COMPARE(run.tc.prompts.messageTexts(), QStringList{"File download successful!"});
    run.open();
    QCOMPARE(run.destination()->currentText(), QStringLiteral("WEB2"));
    QVERIFY(run.fileBox()->text().isEmpty()); // a typed path is not remembered
}

void TestDownloadDialogs::unsendableDirectoryName()
{
    DialogRun run(DownloadKind::WebPages);
    QVERIFY(run.simStarted);
    run.open();
    run.destination()->setEditText(QStringLiteral("WEB\u20ac"));
    run.fileBox()->setText(run.source("pages.WPK", testBytes(10)));
    QTest::mouseClick(run.download(), Qt::LeftButton);
    QTRY_COMPARE(run.tc.prompts.count(), 2);
    const auto messages = run.tc.prompts.messages();
    QCOMPARE(messages[0].title, QStringLiteral("Error Condition"));
    QCOMPARE(messages[0].icon, PromptIcon::Critical);
    QVERIFY(messages[0].text.startsWith(QStringLiteral("52\r\n")));
    QCOMPARE(messages[1].title, QStringLiteral("Error Condition"));
    QCOMPARE(messages[1].text, QStringLiteral("Error sending UDP Write Request!\r\n"
                                              "Cancel the file download and try again."));
    QCOMPARE(messages[1].icon, PromptIcon::None);
    QVERIFY(run.tc.readFile("ErrorLog.txt").contains("\"UDP_WriteReq function in TFTP\",52,"));
    QCOMPARE(run.cancel()->text(), QStringLiteral("Cancel"));
    QVERIFY(run.download()->isEnabled());
    QVERIFY(run.received().isEmpty());
}
