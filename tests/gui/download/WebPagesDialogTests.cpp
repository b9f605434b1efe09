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
    QTest::addColumn<QString>("typed"); // empty: pick the second entry
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("WEB2") << QString()
                          << QByteArray::fromHex("00025745423200"
                                                 "6f6374657400");
    QTest::newRow("typed, trimmed") << "  MYDIR " << Tftp::writeRequest("MYDIR");
}

// The directory chosen or typed names the file on the device, and the next
// opening shows it again; a typed source path is not remembered.
void TestDownloadDialogs::webDirectoryIsTheDeviceFileName()
{
    QFETCH(QString, typed);
    QFETCH(QByteArray, request);
    DialogRun run(DownloadKind::WebPages);
    QVERIFY(run.simStarted);
    run.open();
    QCOMPARE(items(run.destination()),
             QStringList({"WEB1", "WEB2", "WEB3", "WEB4", "WEB5", "WEB6"}));
    QCOMPARE(run.destination()->currentText(), QStringLiteral("WEB6"));
    QVERIFY(run.destination()->isEditable());
    if (typed.isEmpty())
        run.destination()->setCurrentIndex(1);
    else
        run.destination()->setEditText(typed);
    const QByteArray bytes = testBytes(1234);
    run.fileBox()->setText(run.source("pages.WPK", bytes));
    QVERIFY(downloadSucceeds(run));
    QCOMPARE(run.received().first(), request);
    const QString directory = typed.isEmpty() ? QStringLiteral("WEB2") : typed.trimmed();
    QCOMPARE(run.tc.context.memory.of<WebPageChoices>().LastWebDirectory, directory);
    QCOMPARE(run.sim.storedFile(directory), bytes);
    run.open();
    QCOMPARE(run.destination()->currentText(), directory);
    QVERIFY(run.fileBox()->text().isEmpty());
}
