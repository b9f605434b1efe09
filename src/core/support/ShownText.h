#pragma once

#include <QString>
#include <QStringView>

// Text that came from a file or a device, made fit to show in a message or on
// a terminal: control characters (C0, DEL, C1), line and paragraph separators
// and the bidirectional overrides become '.', so nothing in it can move the
// cursor, recolour the terminal or reorder what is shown; and it is cut to
// `maxLength` characters, with the cut said. The full text stays in the data
// (files, JSON), never in the message.
QString shownText(QStringView text, qsizetype maxLength = 120);

// Whether `c` may not reach a terminal or a message as it is.
bool isHiddenControl(char16_t c);
