#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated text as spreadsheets write it: fields may be quoted with
// '"' (a doubled quote inside stands for one, commas and line breaks inside
// are kept), lines end in LF or CRLF; a CR alone outside quotes is an error.
struct CsvRecord {
    int line = 0; // where the record starts, from 1
    QStringList fields;
};

struct CsvText {
    QList<CsvRecord> records; // blank lines are left out
    QString error;            // a quote left open (`errorLine`: where it opened), or a
                              // line that ends in CR alone
    int errorLine = 0;
};

CsvText parseCsv(const QString &text);

// The text of a CSV file (UTF-8); empty with `error` set when it is no regular
// file, is too large, cannot be read or is no UTF-8 text (UTF-16, for one).
QString readCsvFile(const QString &path, QString *error);

// One record as a line (with its LF): a field is quoted when it holds a comma,
// a quote, a line break or blanks at either end.
QString csvLine(const QStringList &fields);
