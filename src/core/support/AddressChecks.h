#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

class Prompts;

// True when the text reads as four dot-separated numbers, the first at most
// 239 and the others at most 255. Each part may carry blanks around it and a
// sign; there is no lower bound. Shows nothing.
bool IsValidIPAddress(const QString &text);

// Why IsValidIPAddress refuses the text, in plain words ("incomplete: 3 of 4
// numbers"); empty when it accepts it. The windows show only their fixed
// message; the command line and the plan check say this as well.
QString invalidAddressReason(const QString &text);

// "\"1.2.3\" is not an IPv4 address: incomplete: 3 of 4 numbers", with the
// text made fit to show.
QString notAnAddress(const QString &text, const QString &reason);

// How an address text may be written.
enum class AddressSpelling {
    Typed, // as the windows accept it: blanks around a number and a sign allowed
    Plain, // digits and dots only, as a plan file holds it
};

// The value of an address text that names one address whichever tool reads
// it, or why it does not. Beyond the shape IsValidIPAddress asks for (its
// 239 aside), no number may be negative or written with leading zeros, which
// other tools read as octal (010 is 8 to them).
struct AddressReading {
    std::optional<quint32> value;
    QString problem; // plain words, empty when `value` is set
};
AddressReading readAddress(const QString &text, AddressSpelling spelling);

// Reads a decimal number with optional surrounding blanks and an optional
// sign, as the address texts allow; false for anything else, an empty text
// included. Leading zeros count for nothing, however many; a value too large
// to matter saturates far beyond any octet.
bool readSignedDecimal(const QString &text, long long *value);

// True (after showing the wrong-hardware-address message) when the text is
// not exactly 17 characters long; false, silently, otherwise.
bool IsWrongHardwareAddress(Prompts &prompts, const QString &text);
