#pragma once

#include "core/net/UdpSocketControl.h"
#include "core/support/Failure.h"
#include "core/tftp/TftpSource.h"

#include <QObject>
#include <QString>
#include <QTimer>

// What a transfer takes from outside: the device's TFTP port and its time values.
struct TftpTransferOptions {
    quint16 port = 69;
    int timeoutMs = 10000; // covers the whole transfer from the connection event
    int quickAckUs = 0;    // see UdpSocketControl::setQuickReplyWindow
};

// One TFTP write transfer, lock-step: the write request on the connection
// event, block n + 1 for each acknowledgement of block n, success when the
// file is exhausted, one time-out for the whole transfer. Shows nothing: the
// owner turns the signals into the pointer, the buttons and the messages.
//
// Block numbers are unsigned 16-bit and wrap from 65535 to 0, the way
// standard servers expect, so files past 32 MiB still go through. Only the
// acknowledgement of the block last sent is answered; repeats are ignored.
class TftpTransfer : public QObject {
    Q_OBJECT
public:
    explicit TftpTransfer(const TftpTransferOptions &options, QObject *parent = nullptr);

    // The port and time values the next start uses.
    TftpTransferOptions &options() { return m_options; }
    UdpSocketControl &socket() { return m_socket; }
    QTimer &timer() { return tmrTFTP; }

    bool Downloading() const { return m_downloading; }
    bool CancelRequested() const { return m_cancelRequested; }

    // The owner has checked its inputs. Opens the source file and connects
    // to the device; the write request follows on the connection event. A
    // failure (file or address) is thrown; the owner then runs SocketCleanup.
    void start(const QString &deviceFileName, const QString &sourcePath, const QString &address);

    // Stop Download: ends the transfer at once once the socket reports its
    // connection, otherwise lets the connection event end it.
    void stopDownload();

    // Back to idle: pointer, timer, socket, flags, buttons, source file.
    void SocketCleanup();

Q_SIGNALS:
    void busyChanged(bool busy);
    void downloadStarted(); // "Stop Download", download button disabled
    void becameIdle();      // "Cancel", download button enabled
    // A failure inside UDP_WriteReq / UDP_Data, with the operation's label.
    void failureTrapped(const QString &place, const Failure &failure);
    void writeRequestFailed();
    void notAcknowledged();
    void dataPacketFailed(int nextBlock);
    void progressed(qint64 bytesSent, qint64 fileSize);
    void succeeded(); // raised after the transfer is idle again
    void timedOut();  // raised before the clean-up

private:
    void onConnected();
    void onDataArrived(int byteCount);
    void onTimeout();

    TftpTransferOptions m_options;
    UdpSocketControl m_socket;
    QTimer tmrTFTP;
    TftpSource m_source;
    QString m_deviceFileName;
    bool m_downloading = false;
    bool m_cancelRequested = false;
    bool m_timingOut = false;
    quint16 m_lastSent = 0; // block number of the last data packet (0: the write request)
};
