#include "gui/shell/SystemLinePrinter.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

constexpr int kMinimumColumns = 170; // the printout's rule ends at column 167

int widestLine(const QList<QStringList> &pages)
{
    qsizetype widest = kMinimumColumns;
    for (const QStringList &page : pages)
        for (const QString &line : page)
            widest = qMax(widest, line.size());
    return int(widest);
}

} // namespace

bool SystemLinePrinter::printPages(const QList<QStringList> &pages)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return false;
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;

    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    // Fit the widest line across the page.
    font.setPointSizeF(10.0);
    painter.setFont(font);
    const qreal charWidth = QFontMetricsF(font, &printer).horizontalAdvance(QLatin1Char('M'));
    if (charWidth > 0)
        font.setPointSizeF(10.0 * area.width() / (charWidth * widestLine(pages)));
    painter.setFont(font);
    const qreal lineHeight = QFontMetricsF(font, &printer).lineSpacing();

    bool first = true;
    for (const QStringList &page : pages) {
        if (!first && !printer.newPage())
            return false;
        first = false;
        qreal y = lineHeight;
        for (const QString &line : page) {
            painter.drawText(QPointF(0, y), line);
            y += lineHeight;
        }
    }
    return painter.end();
}
