#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Builds printed lines in character columns counted from 1.
class ColumnLines {
public:
    // Continue at column n of the current line, or of the next line when the
    // current line already reaches past it.
    ColumnLines &tab(int column);
    ColumnLines &text(const QString &text);
    // Ends the current line (an empty one when nothing was written).
    ColumnLines &endLine();
    QStringList takeLines();

private:
    QStringList m_lines;
    QString m_current;
};

// Pages of the data file printout for the grid rows to print (each row six
// texts: number, then the five fields). A new page starts after every 61
// record lines; the header is not repeated. The printer breaks a page further
// where it does not fit the paper (layOutPrint).
QList<QStringList> dataFilePrintout(const QString &path, const QList<QStringList> &rows);

// The grid column headers, "Device #" first.
QStringList deviceGridHeaders();
