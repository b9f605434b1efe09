#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

// The receiving end of one TFTP write: lock-step block order and the file
// under its name. Each block is written straight to the file (no buffer in
// between) as it comes, so the file on disk always holds every byte received
// so far; a writer that stops after a full
// last block (no empty closing block) still leaves the whole file.
class TftpReceiveFile {
public:
    enum class Outcome {
        Stored,     // the expected block, written; acknowledge it
        Duplicate,  // the block already acknowledged; acknowledge it again
        OutOfOrder, // any other block number; ignore it
        Failed,     // could not write, or the file grew too large
    };
    struct Result {
        Outcome outcome;
        quint16 block = 0;
        bool finished = false; // a block shorter than 512 bytes ended the file
    };

    static constexpr qint64 MaxBytes = 64 * 1024 * 1024;

    bool open(const QString &path, QString *error);
    // A data packet (opcode 3, block, payload).
    Result accept(QByteArrayView datagram);
    void discard(); // removes the partial file

    qint64 size() const { return m_size; }
    bool finished() const { return m_finished; }
    QString errorText() const { return m_error; }

private:
    QFile m_file;
    quint16 m_lastBlock = 0;
    qint64 m_size = 0;
    bool m_finished = false;
    QString m_error;
};
