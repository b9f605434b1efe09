#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

class Prompts;

// The one reader of dotted IPv4 texts. Each reader of an address names its
// own rules; what they share (four numbers, each decimal and at most 255,
// read the same way) is written once, here.
struct DottedRules {
    // Blanks around a number and a sign before it ("+10 . 0.0.1"); else ASCII
    // digits only. Digits are ASCII either way; leading zeros count for
    // nothing, however many; a value too large to matter saturates far beyond
    // any octet.
    bool blanksAndSigns = true;
    // The fourth number runs to the end of the text, further dots and all, so
    // "1.2.3.4.5" has a fourth number "4.5" that is no number; else a fifth
    // number is one too many.
    bool restInFourth = false;
    // A negative number is out of range, as one above 255 is; else there is
    // no lower bound.
    bool negativeOutOfRange = false;
    // Once every number is a number in range: a negative one ("-0" is 0) or
    // one written with leading zeros is refused as it is written.
    bool refuseNegative = false;
    bool refuseLeadingZeros = false;
    // The first number's bound, checked last, once all else is fine.
    int firstMax = 255;
};

struct DottedText {
    enum class Fault {
        None,
        Empty,        // nothing but blanks
        NoDot,        // not four numbers joined by "."
        TooFew,       // `count` numbers
        TooMany,      // `count` numbers
        NotANumber,   // number `number`, written `part`
        OutOfRange,   // above 255, or negative where that is out of range
        Negative,     // refused as written
        LeadingZeros, // refused as written
        FirstTooLarge // above DottedRules::firstMax
    };
    Fault fault = Fault::None;
    int number = 0;                    // which number is at fault, from 1; 0 for the whole text
    qsizetype count = 0;               // how many numbers the text has
    QString part;                      // the number at fault as written, blanks included
    std::array<long long, 4> values{}; // as far as they were read
    int firstMax = 255;                // the rules' bound of the first number

    bool ok() const { return fault == Fault::None; }
    quint32 address() const; // when ok()
    // In plain words ("incomplete: 3 of 4 numbers"); empty when ok().
    QString problem() const;
};
DottedText readDotted(const QString &text, const DottedRules &rules);

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

// True (after showing the wrong-hardware-address message) when the text is
// not exactly 17 characters long; false, silently, otherwise.
bool IsWrongHardwareAddress(Prompts &prompts, const QString &text);
