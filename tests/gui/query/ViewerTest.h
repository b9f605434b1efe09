#pragma once

#include <QObject>

class ViewerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loadShowsRecords();
    void gridLayout();
    void folderWithoutSeparator();
    void emptyFileNameShowsHeaderOnly();
    void missingFileMessage();
    void emptyFileIsTrapped();
    void badInputNeverWritten_data();
    void badInputNeverWritten();
    void moreThanTwentyRecords();
    void importCancelLeavesState();
    void importReadsOtherFile();
    void importFailureKeepsGrid_data();
    void importFailureKeepsGrid();
    void removeYesRenumbers();
    void removeNoUnhighlights();
    void otherColumnsNeverAsk();
    void saveAfterRemoval();
    void saveEmptyGrid();
    void failedSaveLeavesFileWhole();
    void printRecordsLines();
    void printWithoutPrinter();
};
