#include "gui/shell/SystemLinePrinter.h"

#include "core/support/PrintLayout.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

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

    // Measure the fixed-pitch font once; the layout scales it to the page.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    PrintArea area;
    font.setPointSizeF(area.referencePointSize);
    const QFontMetricsF reference(font, &printer);
    const QRectF rect = printer.pageLayout().paintRectPixels(printer.resolution());
    area.width = rect.width();
    area.height = rect.height();
    area.charAdvance = reference.horizontalAdvance(QLatin1Char('M'));
    area.lineSpacing = reference.lineSpacing();
    const PrintLayout layout = layOutPrint(pages, area);
    font.setPointSizeF(layout.pointSize);
    painter.setFont(font);
    const qreal ascent = QFontMetricsF(font, &printer).ascent();

    bool first = true;
    for (const QStringList &page : layout.pages) {
        if (!first && !printer.newPage())
            return false;
        first = false;
        // Line n fills the band from n to n + 1 line spacings below the top.
        qreal top = 0;
        for (const QString &line : page) {
            painter.drawText(QPointF(0, top + ascent), line);
            top += layout.lineSpacing;
        }
    }
    return painter.end();
}
