// The viewer's import, removal, save and print.
#include "ViewerTest.h"

#include "DialogChecks.h"
#include "FileSizeLimit.h"
#include "ViewerSetup.h"
#include "core/settings/IniFile.h"
#include "core/support/SharedMessages.h"

#include "gui/shell/SystemLinePrinter.h"
#include <QDir>
#include <QFileInfo>
#include <QPrinterInfo>

namespace {

const QString kQuestion = QStringLiteral("Do you want to delete this\r\nrecord from the screen?");

} // namespace

void ViewerTest::importReadsOtherFile()
{
    ViewerSetup s("devices.txt", recordLines(3));
    QVERIFY(QDir(s.t.folder()).mkdir("other"));
    s.t.writeFile("other/more.txt", "\"10.9.9.9\",b,c,d,e\r\n");
    s.open();
    const QByteArray ini = s.t.readFile("ConfigUtility.ini");
    s.t.prompts.choosePath(s.t.path("missing.txt")); // file not found: asked again
    s.t.prompts.choosePath(s.t.path("other/more.txt"));
    s.click("cmdImportDataFile");
    QCOMPARE(said(s.t.prompts), saidBy(ShowFileNotFoundMessage));
    QCOMPARE(s.viewer->windowTitle(), QStringLiteral("View Data File - more.txt"));
    QCOMPARE(s.viewer->recordCount(), 1);
    QCOMPARE(s.cell(0, 1), QStringLiteral("10.9.9.9"));
    QCOMPARE(s.cell(1, 1), QString()); // the rest of the grid was cleared
    QCOMPARE(s.viewer->currentFolder(), s.t.path("other") + "/");
    QCOMPARE(s.viewer->currentFileName(), QStringLiteral("more.txt"));
    QCOMPARE(s.viewer->currentPath(), s.t.path("other/more.txt"));
    QCOMPARE(s.t.readFile("ConfigUtility.ini"), ini);
    QCOMPARE(s.t.context.settings.DatabaseFileName.trimmed(), QStringLiteral("devices.txt"));
}

void ViewerTest::importFailureKeepsGrid_data()
{
    QTest::addColumn<QString>("chosen"); // empty: the file dialog is cancelled
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("Cancel") << QString() << QStringList();
    QTest::newRow("missing folder, then Cancel")
        << "nowhere/devices.txt" << saidBy(ShowPathNotFoundMessage);
    QTest::newRow("empty file") << "empty.txt" << QStringList{kErrorTitle + "|Critical|*"};
}

void ViewerTest::importFailureKeepsGrid()
{
    // The grid and its unsaved removal survive an import that reads nothing.
    QFETCH(QString, chosen);
    QFETCH(QStringList, messages);
    ViewerSetup s("devices.txt", recordLines(3));
    s.t.writeFile("empty.txt", "");
    s.open();
    s.grid()->setCurrentCell(1, 0); // record 2 removed, answered Yes
    s.t.prompts.clear();
    if (!chosen.isEmpty())
        s.t.prompts.choosePath(s.t.path(chosen));
    s.t.prompts.cancelFileDialog();
    // Enter on the focused button presses it, as a click does.
    auto *import = s.viewer->findChild<QPushButton *>("cmdImportDataFile");
    import->setFocus();
    QTest::keyClick(import, Qt::Key_Return);
    const auto asked = s.t.prompts.shown().first();
    QCOMPARE(asked.kind, ScriptedPrompts::Shown::OpenFile);
    QCOMPARE(asked.title, QStringLiteral("Open"));
    QCOMPARE(asked.request.filter, QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*"));
    QCOMPARE(asked.request.initialFolder, s.t.folder() + "/");
    QCOMPARE(asked.request.initialName, QStringLiteral("devices.txt"));
    QCOMPARE(said(s.t.prompts, messages), messages);
    QCOMPARE(s.viewer->recordCount(), 2);
    QCOMPARE(s.cell(1, 1), QStringLiteral("10.0.0.3"));
    QCOMPARE(s.cell(2, 0), QString());
    QCOMPARE(s.viewer->windowTitle(), QStringLiteral("View Data File - devices.txt"));
    QCOMPARE(s.viewer->currentPath(), s.t.path("devices.txt"));
    QCOMPARE(s.viewer->currentFileName(), QStringLiteral("devices.txt"));
    QCOMPARE(s.viewer->currentFolder(), s.t.folder() + "/");
}

// Answered No, the record stays and loses its highlight; a free row and the
// other columns offer nothing. Answered Yes, it goes and the rest renumber.
void ViewerTest::removeRecord()
{
    ViewerSetup s("devices.txt", recordLines(3));
    s.open();
    s.t.prompts.answer(PromptAnswer::No);
    s.grid()->setCurrentCell(2, 0);
    QCOMPARE(s.t.prompts.count(), 1);
    QCOMPARE(s.viewer->recordCount(), 3);
    QCOMPARE(s.cell(2, 1), QStringLiteral("10.0.0.3"));
    QCOMPARE(s.grid()->item(2, 1)->background().style(), Qt::NoBrush);
    s.grid()->setCurrentCell(10, 0);
    for (int c = 1; c <= 5; ++c)
        s.grid()->setCurrentCell(0, c);
    QCOMPARE(s.t.prompts.count(), 1);
    QCOMPARE(s.viewer->recordCount(), 3);

    s.t.prompts.clear();
    QBrush background, foreground, numberBackground;
    bool numberCellSelected = true;
    s.t.prompts.duringNextPrompt([&] {
        background = s.grid()->item(1, 3)->background();
        foreground = s.grid()->item(1, 3)->foreground();
        // The whole row, number cell included, shows the highlight.
        numberBackground = s.grid()->item(1, 0)->background();
        numberCellSelected = s.grid()->item(1, 0)->isSelected();
    });
    s.grid()->setCurrentCell(1, 0);
    QCOMPARE(background.color(), QColor(0, 0, 255));
    QCOMPARE(foreground.color(), QColor(255, 255, 255));
    QCOMPARE(numberBackground.color(), QColor(0, 0, 255));
    QVERIFY(!numberCellSelected);
    QCOMPARE(said(s.t.prompts), QStringList{"Response Required|Question|" + kQuestion});
    QCOMPARE(s.t.prompts.shown().first().buttons, PromptButtons::YesNo);
    QCOMPARE(s.viewer->recordCount(), 2);
    QCOMPARE(s.cell(1, 0), QStringLiteral("2"));
    QCOMPARE(s.cell(1, 1), QStringLiteral("10.0.0.3"));
    QCOMPARE(s.grid()->rowCount(), 19);
    // The same cell asks again.
    s.t.prompts.answer(PromptAnswer::No);
    s.grid()->setCurrentCell(1, 0);
    QCOMPARE(s.t.prompts.count(), 2);
}

void ViewerTest::saveAfterRemoval()
{
    ViewerSetup s("devices.txt", recordLines(3));
    s.open();
    s.grid()->setCurrentCell(1, 0); // Yes
    s.t.prompts.choosePath(s.t.path("nodir/saved.txt"));
    s.t.prompts.choosePath(s.t.path("saved.txt"));
    s.click("cmdSaveDataFile");
    const auto saveAs = s.t.prompts.shown().at(1);
    QCOMPARE(saveAs.title, QStringLiteral("Save As"));
    QCOMPARE(saveAs.request.filter, QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*"));
    QCOMPARE(said(s.t.prompts).mid(1), saidBy(ShowPathNotFoundMessage));
    const QByteArray all = recordLines(3);
    const QByteArray expected =
        all.left(all.indexOf("\r\n") + 2) + all.mid(all.lastIndexOf("\"10.0.0.3"));
    QCOMPARE(s.t.readFile("saved.txt"), expected);
    QCOMPARE(s.viewer->windowTitle(), QStringLiteral("View Data File - devices.txt"));
    QCOMPARE(s.viewer->currentPath(), s.t.path("devices.txt"));
    QCOMPARE(s.t.context.settings.DatabaseFileName.trimmed(), QStringLiteral("saved.txt"));
    QCOMPARE(
        IniFile(s.t.path("ConfigUtility.ini")).read("database", "DatabaseFileDir", "?", 300).value,
        s.t.folder() + "/");

    ViewerSetup again("saved.txt", s.t.readFile("saved.txt"));
    again.open();
    QCOMPARE(again.viewer->recordCount(), 2);
    QCOMPARE(again.cell(1, 0), QStringLiteral("2"));
}

void ViewerTest::saveEmptyGrid()
{
    ViewerSetup s("");
    s.open();
    s.t.prompts.choosePath(s.t.path("blank.txt"));
    s.click("cmdSaveDataFile");
    QCOMPARE(s.t.readFile("blank.txt"), QByteArray("\"\",\"\",\"\",\"\",\"\"\r\n"));
}

void ViewerTest::failedSaveLeavesFileWhole()
{
    ViewerSetup s("devices.txt", recordLines(3));
    s.t.writeFile("big.txt", recordLines(40));
    s.open();
    s.t.prompts.choosePath(s.t.path("big.txt"));
    {
        FileSizeLimit limit(100);
        s.click("cmdSaveDataFile");
    }
    QCOMPARE(s.t.readFile("big.txt"), recordLines(40));
    const QStringList trapped{kErrorTitle + "|Critical|*"};
    QCOMPARE(said(s.t.prompts, trapped), trapped);
    QVERIFY(s.t.readFile("ErrorLog.txt").contains("\"cmdSaveDataFile_Click in View Data File\""));
    QCOMPARE(s.t.context.settings.DatabaseFileName.trimmed(), QStringLiteral("devices.txt"));
}

void ViewerTest::printRecordsLines()
{
    ViewerSetup s("devices.txt", recordLines(3));
    s.open();
    s.click("cmdPrintDataFile");
    QCOMPARE(s.printed.size(), 1);
    const QStringList page = s.printed.first().first();
    QCOMPARE(page.size(), 2 + 1 + 1 + 3 + 3 + 1);
    QCOMPARE(page[2], "   Data file path: " + s.t.path("devices.txt"));
    QVERIFY(page[7].startsWith("   |   1             10.0.0.1 "));
    QVERIFY(page[9].startsWith("   |   3             10.0.0.3 "));
    QCOMPARE(s.t.prompts.count(), 0);
}

void ViewerTest::printWithoutPrinter()
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("a default printer is set up here; printing would really print");
    ViewerSetup s("devices.txt", recordLines(3));
    s.open();
    s.viewer->setPrinter(std::make_unique<SystemLinePrinter>());
    s.click("cmdPrintDataFile");
    QCOMPARE(said(s.t.prompts),
             QStringList{kErrorTitle + "|None|There was an error trying to print this file\r\n"
                                       "Verify the connection to your printer."});
    QVERIFY(!QFileInfo::exists(s.t.path("ErrorLog.txt")));
}
