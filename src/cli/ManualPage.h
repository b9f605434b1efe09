#pragma once

#include <QString>

// cfgutil(1) in roff, made from the command table so that the page says what
// --help says. `page` is the hand-written part; these markers in it are
// replaced: @VERSION@ anywhere, and each of @COMMANDS@, @COMMON_OPTIONS@ and
// @EXIT_STATUS@ on a line of its own.
QString manualPage(const QString &page);

// Text made safe as a roff text line: backslashes shown as such, a leading
// dot or quote kept from being read as a request, and the hyphen that starts
// an option name typed as a minus sign, so that it can be copied.
QString roffText(const QString &text);
