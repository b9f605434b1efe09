#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

// The texts typed into Assign IP, turned into the pieces of the IP-SETUP
// datagram. Only IpTextToBytes checks anything; the dialog has checked the
// texts with IsValidIPAddress and IsWrongHardwareAddress before.

// A byte from the first and the last character of the text, upper-cased, as
// two hexadecimal digits; anything that is not a digit counts as 0. "7" gives
// 0x77, an empty text 0.
quint8 HexPairToByte(const QString &text);

// The four octets of a dotted address, first octet first. Each octet may carry
// blanks around it and a sign. Throws Failure(TypeMismatch) for an octet that
// is empty or not a number, Failure(InvalidArgument) for one outside 0..255
// or for a text with fewer than three ".".
std::array<quint8, 4> IpTextToBytes(const QString &text);

// The text up to and including its third "." followed by "255", whatever the
// network mask; the first three octets are kept exactly as typed. A text
// with fewer than three "." gives "255" alone.
QString BroadcastAddressText(const QString &ipText);

// The fifth and sixth byte of a hardware address text "02-00-00-14-01-18":
// HexPairToByte of characters 13-14 and 16-17. Missing characters of a short
// text count as absent.
std::array<quint8, 2> HardwareAddressTail(const QString &hardwareText);

// The hardware address text with its ASCII letters upper-cased and every
// other character kept as it is. Upper-casing by the full Unicode rules
// would lengthen a checked text ("ß" becomes "SS") and shift the pairs that
// HardwareAddressTail takes.
QString upperCaseHardwareText(const QString &hardwareText);
