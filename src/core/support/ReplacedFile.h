#pragma once

#include <QByteArray>
#include <QString>

// A file the program makes afresh at a path and then adds to (a report).
// replace() writes the bytes to a new file in the same folder and renames it
// over the path: whatever was there, a file or a link, is replaced, a link's
// target is never written, and a failed write leaves the former file whole.
// append() adds to the file the last replace() made, through the handle kept
// open, so it reaches that file and no other even if the path is changed
// meanwhile; its cost does not depend on the file's size. Failures are thrown
// as Failure.
class ReplacedFile {
public:
    ReplacedFile() = default;
    ~ReplacedFile();
    ReplacedFile(const ReplacedFile &) = delete;
    ReplacedFile &operator=(const ReplacedFile &) = delete;

    void replace(const QString &path, const QByteArray &bytes);
    // Only after a replace() that succeeded.
    void append(const QByteArray &bytes);
    bool isOpen() const { return m_fd >= 0; }

private:
    void close();

    int m_fd = -1;
};
