#include "core/tftp/TftpTransfer.h"

#include "core/tftp/TftpPackets.h"

TftpTransfer::TftpTransfer(const TftpTransferOptions &options, QObject *parent)
    : QObject(parent), m_options(options), m_socket(this), tmrTFTP(this),
      m_source([this](const QString &place, const Failure &failure) {
          m_result.failurePlace = place;
          m_result.failure = failure;
          Q_EMIT failureTrapped(place, failure);
      })
{
    m_socket.setAddressFamily(2);
    m_socket.setProtocol(0);
    m_socket.setSocketType(2);
    m_socket.setBinary(true);
    m_socket.setBlocking(false);
    // A device may answer from a new port (its transfer id); keep talking to that one.
    m_socket.setAcceptReplyFromAnyPort(true);
    // One tick ends the transfer; a second one must not follow while its box is up.
    tmrTFTP.setSingleShot(true);
    tmrTFTP.setInterval(0);
    m_resendTimer.setSingleShot(true);
    connect(&m_socket, &UdpSocketControl::connected, this, &TftpTransfer::onConnected);
    connect(&m_socket, &UdpSocketControl::dataArrived, this, &TftpTransfer::onDataArrived);
    connect(&tmrTFTP, &QTimer::timeout, this, &TftpTransfer::onTimeout);
    connect(&m_resendTimer, &QTimer::timeout, this, &TftpTransfer::onResendDue);
}

void TftpTransfer::start(const QString &deviceFileName, const QString &sourcePath,
                         const QString &address)
{
    if (m_downloading)
        return;
    Q_EMIT busyChanged(true);
    m_downloading = true;
    m_result = TransferResult{};
    Q_EMIT downloadStarted();
    m_deviceFileName = deviceFileName;
    m_source.open(sourcePath);
    if (m_socket.isConnected())
        m_socket.close();
    m_socket.setHostAddress(address.trimmed());
    m_socket.setRemotePort(m_options.port);
    m_socket.setBlocking(false);
    m_socket.connectSocket();
}

void TftpTransfer::onConnected()
{
    if (m_cancelRequested) {
        SocketCleanup();
        finish(TransferResult::Outcome::Stopped);
        return;
    }
    tmrTFTP.setInterval(m_options.timeoutMs);
    tmrTFTP.start();
    m_lastSent = 0;
    m_inFlight = 0;
    m_bytesThroughLastSent = 0;
    m_percentShown = -1;
    m_clock.start();
    m_lastAckAt = 0;
    if (!m_source.UDP_WriteReq(m_deviceFileName, m_socket)) {
        Q_EMIT writeRequestFailed();
        SocketCleanup();
        finish(TransferResult::Outcome::WriteRequestFailed);
        return;
    }
    m_sessionOpen = true;
}

void TftpTransfer::onDataArrived(int)
{
    // Looked at in place: an acknowledgement costs no copy.
    const QByteArrayView buffer = m_socket.datagram();
    // The time-out box is up: the transfer is over, whatever still arrives.
    if (m_timingOut || !m_downloading)
        return;
    const Tftp::Ack ack = Tftp::readAck(buffer);
    if (!ack.isAck) {
        if (const Tftp::Error error = Tftp::readError(buffer); error.isError) {
            // The device has ended its session: repeating data to it is useless.
            m_sessionOpen = false;
            m_resendTimer.stop();
            m_result.deviceErrorCode = error.code;
            m_result.deviceErrorText = error.text;
            Q_EMIT deviceReportedError(
                Failure(FailureNumber::DeviceReportedError, m_result.deviceError()));
            if (m_options.endOnDeviceError) {
                SocketCleanup();
                finish(TransferResult::Outcome::Refused);
                return;
            }
        }
        Q_EMIT notAcknowledged();
        return;
    }
    // A repeated or stray acknowledgement would otherwise pull the next
    // piece of the file under an old block number and shift the device's
    // copy; only the block last sent moves the transfer on.
    if (ack.block != m_lastSent)
        return;
    m_result.lastBlock = ack.block;
    m_result.bytes = m_bytesThroughLastSent;
    m_lastAckAt = m_clock.elapsed();
    const auto next = quint16(ack.block + 1);
    // After a failed send of `next`, the device's repeat of this
    // acknowledgement asks for it again: the kept packet goes out.
    if (!sendData(next, false)) {
        Q_EMIT dataPacketFailed(next);
        return;
    }
    if (m_source.TransferDone()) {
        SocketCleanup();
        // A file cut short or grown while it was read did not reach the
        // device as the file that was chosen: that is no success.
        if (m_source.bytesRead() != m_source.size()) {
            m_result.failurePlace = TftpSource::dataPlace();
            m_result.failure =
                Failure(FailureNumber::SourceFileChanged,
                        QStringLiteral("The file changed while it was being sent: %1 bytes "
                                       "were sent of the %2 it had at the start")
                            .arg(m_source.bytesRead())
                            .arg(m_source.size()));
            Q_EMIT failureTrapped(m_result.failurePlace, *m_result.failure);
            finish(TransferResult::Outcome::FileChanged);
        } else {
            Q_EMIT succeeded();
            finish(TransferResult::Outcome::Succeeded);
        }
        return;
    }
    reportProgress();
}

void TftpTransfer::reportProgress()
{
    const qint64 size = m_source.size();
    const qint64 sent = m_source.bytesRead();
    const int percent = size > 0 ? int(qMin<qint64>(sent, size) * 100 / size) : 100;
    if (percent == m_percentShown)
        return;
    m_percentShown = percent;
    Q_EMIT progressed(sent, size);
}

bool TftpTransfer::sendData(quint16 block, bool retransmission)
{
    if (!retransmission)
        m_resends = 0;
    m_inFlight = block;
    // Armed whether or not the send succeeds: a packet that never left is
    // tried again the same way as one that was lost on the way.
    m_resendAt = m_clock.elapsed() + m_options.retransmitMs;
    if (!m_resendTimer.isActive())
        m_resendTimer.start(m_options.retransmitMs);
    // Our own retransmissions fail quietly: the user has heard of the
    // first failure, and the time-out ends what does not recover.
    const bool sent =
        retransmission ? m_source.resendData(block, m_socket) : m_source.UDP_Data(block, m_socket);
    if (!sent)
        return false;
    m_lastSent = block;
    m_bytesThroughLastSent = m_source.bytesRead();
    m_sessionOpen = true;
    return true;
}

void TftpTransfer::onResendDue()
{
    // Only data packets arm the timer: the write request is never repeated.
    if (!m_downloading || m_timingOut || !m_sessionOpen || m_resends >= m_options.maxResends)
        return;
    if (const qint64 left = m_resendAt - m_clock.elapsed(); left > 0) {
        m_resendTimer.start(int(left)); // packets went out since it was armed
        return;
    }
    ++m_resends;
    sendData(m_inFlight, true);
}

void TftpTransfer::onTimeout()
{
    if (!m_downloading)
        return;
    if (const qint64 left = m_lastAckAt + m_options.timeoutMs - m_clock.elapsed();
        m_options.timeoutSinceLastAck && left > 0) {
        tmrTFTP.start(int(left)); // acknowledgements came since it was armed
        return;
    }
    m_timingOut = true;
    m_resendTimer.stop();
    tellDeviceTheEnd(QStringLiteral("Download timed out"));
    Q_EMIT timedOut();
    SocketCleanup();
    finish(TransferResult::Outcome::TimedOut);
}

void TftpTransfer::stopDownload()
{
    if (!m_downloading)
        return;
    if (m_socket.state() != 0)
        abandon();
    else
        m_cancelRequested = true;
}

void TftpTransfer::abandon()
{
    const bool running = m_downloading;
    tellDeviceTheEnd(QStringLiteral("Download stopped"));
    SocketCleanup();
    if (running)
        finish(TransferResult::Outcome::Stopped);
}

void TftpTransfer::finish(TransferResult::Outcome outcome)
{
    m_result.outcome = outcome;
    Q_EMIT finished(m_result);
}

void TftpTransfer::tellDeviceTheEnd(const QString &reason)
{
    if (!m_sessionOpen)
        return;
    m_sessionOpen = false;
    try {
        m_socket.send(Tftp::errorPacket(0, reason));
    } catch (const Failure &) {
        // A courtesy only: the transfer ends all the same.
    }
}

void TftpTransfer::SocketCleanup()
{
    Q_EMIT busyChanged(false);
    tmrTFTP.stop();
    tmrTFTP.setInterval(0);
    m_resendTimer.stop();
    m_socket.close();
    m_downloading = false;
    m_cancelRequested = false;
    m_timingOut = false;
    m_sessionOpen = false;
    Q_EMIT becameIdle();
    if (m_source.isOpen())
        m_source.close();
}
