#pragma once

#include "core/net/UdpSocketControl.h"
#include "core/support/Failure.h"
#include "core/tftp/TftpSource.h"
#include "core/tftp/TransferResult.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

// What a transfer takes from outside: the device's TFTP port, its time
// values and its count of repeats (tftpTransferOptions() gives the program's).
struct TftpTransferOptions {
    quint16 port = 0;
    int timeoutMs = 0;    // covers the whole transfer from the connection event
    int retransmitMs = 0; // a data packet unacknowledged this long is sent again,
    int maxResends = 0;   // at most this many times (all well inside the time-out)
    // An error packet from the device ends the transfer at once. The windows
    // leave it off: they show "No Ack!" and let the time-out end it.
    bool endOnDeviceError = false;
    // The time-out counts from the last acknowledgement instead of the
    // connection event: a long image that keeps moving is never cut off,
    // a device that goes quiet still ends it. Commissioning sets it, where
    // many uploads share one machine; the windows keep the whole-transfer rule.
    bool timeoutSinceLastAck = false;
};

// One TFTP write transfer, lock-step: the write request on the connection
// event, block n + 1 for each acknowledgement of block n, success when the
// file is exhausted, one time-out for the whole transfer. Shows nothing: the
// owner turns the signals into the pointer, the buttons and the messages.
// How it ended comes once, as one TransferResult, for an owner that needs
// no more than that.
//
// Block numbers are unsigned 16-bit and wrap from 65535 to 0, the way
// standard servers expect, so files past 32 MiB still go through. Only the
// acknowledgement of the block last sent is answered; repeats are ignored,
// so a delayed acknowledgement never doubles the traffic. A data packet
// whose acknowledgement does not come within retransmitMs is sent again, the
// same bytes, a few times; the write request is not (a server would take a
// second one for a second session). A transfer that is stopped or times out
// after the write request tells the device with an error packet, so a device
// that serves one session at a time is free for the next attempt.
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

    // Ends the transfer at once, telling the device when it has a session
    // open, then SocketCleanup (also when idle): the owner is closing.
    void abandon();

    // Back to idle: pointer, timer, socket, flags, buttons, source file.
    // Called by the owner it ends the transfer without finished(): the owner
    // knows why.
    void SocketCleanup();

Q_SIGNALS:
    void busyChanged(bool busy);
    void downloadStarted(); // "Stop Download", download button disabled
    void becameIdle();      // "Cancel", download button enabled
    // A failure inside UDP_WriteReq / UDP_Data, with the operation's label.
    void failureTrapped(const QString &place, const Failure &failure);
    void writeRequestFailed();
    void notAcknowledged();
    // The device sent an error packet (raised before notAcknowledged): its
    // code and text as a failure for the error log.
    void deviceReportedError(const Failure &failure);
    void dataPacketFailed(int nextBlock);
    // At most once per whole percent of the file (and so at its end).
    void progressed(qint64 bytesSent, qint64 fileSize);
    void succeeded(); // raised after the transfer is idle again
    void timedOut();  // raised before the clean-up
    // Once per transfer that ends by itself or by stopDownload() / abandon(),
    // after it is idle and after the signal of the event that ended it:
    // success, time-out, refusal (with endOnDeviceError), a failed write
    // request, a changed file, or the stop.
    void finished(const TransferResult &result);

private:
    void onConnected();
    void onDataArrived(int byteCount);
    void onTimeout();
    void onResendDue();
    void reportProgress();
    // Sends data packet `block` (the kept bytes when it is a repeat) and
    // arms the retransmission; false after a failure.
    bool sendData(quint16 block, bool retransmission);
    void tellDeviceTheEnd(const QString &reason);
    void finish(TransferResult::Outcome outcome);

    TftpTransferOptions m_options;
    UdpSocketControl m_socket;
    QTimer tmrTFTP;
    // Not restarted per block (a restart costs a timer registration): each
    // packet sent moves m_resendAt, and the timer, when it fires early
    // because the deadline moved, sleeps on for what is left.
    QTimer m_resendTimer;
    QElapsedTimer m_clock;
    qint64 m_resendAt = 0;  // on m_clock
    qint64 m_lastAckAt = 0; // on m_clock
    TftpSource m_source;
    QString m_deviceFileName;
    bool m_downloading = false;
    bool m_cancelRequested = false;
    bool m_timingOut = false;
    bool m_sessionOpen = false; // the write request went out; the device has not ended it
    quint16 m_lastSent = 0;     // last data packet handed to the socket (0: the write request)
    quint16 m_inFlight = 0;     // the data packet awaiting its acknowledgement
    int m_resends = 0;          // of m_inFlight
    int m_percentShown = -1;    // of the last progressed()
    qint64 m_bytesThroughLastSent = 0; // of the file, up to and with m_lastSent
    TransferResult m_result;           // of the transfer running or last run
};
