#pragma once

#include "core/support/Failure.h"
#include "core/tftp/TftpPackets.h"

#include <QFile>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class UdpSocketControl;

// The source file of one transfer with its done flag, and the two operations
// that send the outgoing packets. Each transfer owns its own, so two
// transfers never read from or close the same file.
//
// UDP_WriteReq and UDP_Data keep their failures to themselves: a failure is
// handed with the operation's label to the report given at construction and
// the operation returns false.
class TftpSource {
public:
    using Report = std::function<void(const QString &place, const Failure &failure)>;

    explicit TftpSource(Report report) : m_report(std::move(report)) {}

    // Opens the file for binary, read-only access; throws the file failure.
    void open(const QString &path);
    bool isOpen() const { return SourceFile.isOpen(); }
    void close() { SourceFile.close(); }

    bool TransferDone() const { return m_transferDone; }
    qint64 size() const { return m_size; }
    qint64 bytesRead() const { return m_bytesRead; }

    // Clears TransferDone and sends the write request as one datagram.
    bool UDP_WriteReq(const QString &deviceFileName, UdpSocketControl &socket);
    // The label of UDP_Data's failures, and of everything that goes wrong
    // with reading the file onward.
    static QString dataPlace() { return QStringLiteral("UDP_Data function in TFTP"); }
    // At the end of the file: closes it, sets TransferDone, sends nothing.
    // Otherwise sends the next payload as data packet `block`. The packet
    // built is kept until another block is asked for (its acknowledgement has
    // come): asked for the same block again, after a failed send or a lost
    // datagram, it sends those very bytes again instead of reading on.
    bool UDP_Data(quint16 block, UdpSocketControl &socket);
    // As UDP_Data, for a repeat whose failure needs no report of its own: the
    // first attempt's has been made.
    bool resendData(quint16 block, UdpSocketControl &socket);

private:
    // A template, not a std::function: the operation's closure is too large
    // for one's inline storage and would cost an allocation per packet.
    template <typename Body> bool trapped(const QString &place, Body &&body, bool report = true);
    void sendData(quint16 block, UdpSocketControl &socket);
    // Reads the next stretch of the file ahead; nothing when it has ended.
    void readAhead();

    QFile SourceFile;
    // The last data packet built, header and payload: one buffer for the
    // whole transfer, the header rewritten in place for each block.
    std::array<char, Tftp::HeaderSize + Tftp::BlockSize> m_packet{};
    // The file is read 128 blocks at a time: one read in 128 instead of one
    // a block is a system call less per packet, with no buffer made per read.
    static constexpr qint64 AheadSize = 128 * Tftp::BlockSize;
    std::unique_ptr<char[]> m_ahead; // made at the first open, kept
    qint64 m_aheadPos = 0;
    qint64 m_aheadEnd = 0;
    qint64 m_packetSize = 0; // 0: none kept
    quint16 m_packetBlock = 0;
    bool m_transferDone = false;
    qint64 m_size = 0;
    qint64 m_bytesRead = 0;
    Report m_report;
};
