#pragma once

#include <QList>
#include <QStringList>

// The printable area and the font measured in it, all lengths in one unit
// (the printer's pixels, or points).
struct PrintArea {
    qreal width = 0;
    qreal height = 0;
    qreal charAdvance = 0; // of one character of the fixed-pitch font at referencePointSize
    qreal lineSpacing = 0; // of the same font at referencePointSize
    qreal referencePointSize = 10;
};

// Pages of text lines as they go on paper.
struct PrintLayout {
    qreal pointSize = 0;      // the widest line just fills the width
    qreal lineSpacing = 0;    // of the font at pointSize, in the area's unit
    int linesPerPage = 0;     // whole lines that fit the height; 0 when not measured
    QList<QStringList> pages; // the given pages, broken further where too long
};

// Sizes the font so that the widest line (at least the printout's rule) fits
// across the area, then starts a new page wherever the next line would not fit
// down it. Given page breaks stay, and no line is lost or moved.
PrintLayout layOutPrint(const QList<QStringList> &pages, const PrintArea &area);
