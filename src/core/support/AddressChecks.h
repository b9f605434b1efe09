#pragma once

#include <QString>

class Prompts;

// True when the text reads as four dot-separated numbers, the first at most
// 239 and the others at most 255. Each part may carry blanks around it and a
// sign; there is no lower bound. Shows nothing.
bool IsValidIPAddress(const QString &text);

// Reads a decimal number with optional surrounding blanks and an optional
// sign, as the address texts allow; false for anything else, an empty text
// included. Digit runs too long to matter are clamped far beyond any octet.
bool readSignedDecimal(const QString &text, long long *value);

// True (after showing the wrong-hardware-address message) when the text is
// not exactly 17 characters long; false, silently, otherwise.
bool IsWrongHardwareAddress(Prompts &prompts, const QString &text);
