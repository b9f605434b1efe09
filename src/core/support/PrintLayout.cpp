#include "core/support/PrintLayout.h"

#include <QtMath>

namespace {

constexpr int kMinimumColumns = 170; // the data file printout's rule ends at column 167

int widestLine(const QList<QStringList> &pages)
{
    qsizetype widest = kMinimumColumns;
    for (const QStringList &page : pages)
        for (const QString &line : page)
            widest = qMax(widest, line.size());
    return int(widest);
}

} // namespace

PrintLayout layOutPrint(const QList<QStringList> &pages, const PrintArea &area)
{
    PrintLayout layout;
    const qreal scale = area.charAdvance > 0 && area.width > 0
                            ? area.width / (area.charAdvance * widestLine(pages))
                            : 1.0;
    layout.pointSize = area.referencePointSize * scale;
    layout.lineSpacing = area.lineSpacing * scale;
    if (layout.lineSpacing <= 0 || area.height <= 0) {
        layout.pages = pages; // nothing measured: the pages stay as given
        return layout;
    }
    layout.linesPerPage = qMax(1, qFloor(area.height / layout.lineSpacing));
    for (const QStringList &page : pages) {
        if (page.isEmpty())
            layout.pages.append(page);
        for (qsizetype at = 0; at < page.size(); at += layout.linesPerPage)
            layout.pages.append(page.mid(at, layout.linesPerPage));
    }
    return layout;
}
