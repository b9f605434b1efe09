#pragma once

#include <QObject>

class ViewerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gridLayout();
    void load_data();
    void load();
    void importReadsOtherFile();
    void importFailureKeepsGrid_data();
    void importFailureKeepsGrid();
    void removeRecord();
    void saveAfterRemoval();
    void saveEmptyGrid();
    void failedSaveLeavesFileWhole();
    void printRecordsLines();
    void printWithoutPrinter();
};
