#pragma once

#include <QObject>

// The INI reader and writer against odd content and odd file types; the
// error log in place of a FIFO.
class HostileFilesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oddContent_data();
    void oddContent();
    void hugeFileReadAndWritten();
    void notARegularFile_data();
    void notARegularFile();
    void unreadableFileIsNotReplaced();
    void errorLogThatIsAFifoIsSkipped();
};
