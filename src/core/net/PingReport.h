#pragma once

#include <QString>
#include <QtGlobal>

// The text of a ping run, in the manner of a console ping: a header, then
// one line per reply or time-out. Lines end in "\n"; a number that is not
// negative is written with one leading blank.
namespace PingReport {

// "\n Pinging 10.0.0.5 with 32 bytes of data:\n\n"
QString header(const QString &address, int dataSize);
// " Reply received: bytes= 32, ICMP seq= 1, time= 10ms\n"
QString replyLine(quint16 sequence, quint16 dataBytes, quint32 roundTripMs);
// "ICMP Request timed out\n"
QString timedOutLine();
// The place text a ping error is logged under: "Ping error 5'Busy'".
QString errorPlace(quint16 code, const QString &text);

} // namespace PingReport
