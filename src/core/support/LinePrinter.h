#pragma once

#include <QList>
#include <QStringList>

// Prints pages of text lines laid out in character columns. Tests substitute
// a recorder; the program prints on the default printer.
class LinePrinter {
public:
    virtual ~LinePrinter() = default;
    // Sends the pages as one document; false when there is no printer or the
    // document could not be printed.
    virtual bool printPages(const QList<QStringList> &pages) = 0;
};
