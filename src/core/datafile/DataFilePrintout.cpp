#include "core/datafile/DataFilePrintout.h"

namespace {

constexpr int kRuleLength = 164;
constexpr int kLinesPerPage = 60; // a new page once the counter exceeds this

QString rule()
{
    return QString(kRuleLength, QLatin1Char('-'));
}

QString cell(const QStringList &row, int column)
{
    return column < row.size() ? row[column] : QString();
}

} // namespace

ColumnLines &ColumnLines::tab(int column)
{
    if (m_current.size() > column - 1)
        endLine();
    m_current = m_current.leftJustified(column - 1, QLatin1Char(' '));
    return *this;
}

ColumnLines &ColumnLines::text(const QString &text)
{
    m_current += text;
    return *this;
}

ColumnLines &ColumnLines::endLine()
{
    m_lines.append(m_current);
    m_current.clear();
    return *this;
}

QStringList ColumnLines::takeLines()
{
    QStringList lines;
    lines.swap(m_lines);
    return lines;
}

QStringList deviceGridHeaders()
{
    return {QStringLiteral("Device #"),         QStringLiteral("IP Address"),
            QStringLiteral("Hardware Address"), QStringLiteral("FW Version"),
            QStringLiteral("FW Type"),          QStringLiteral("Device Type")};
}

QList<QStringList> dataFilePrintout(const QString &path, const QList<QStringList> &rows)
{
    const QStringList headers = deviceGridHeaders();
    ColumnLines out;
    out.endLine().endLine();
    out.tab(4).text(QStringLiteral("Data file path: ") + path).endLine();
    out.endLine();
    out.tab(4).text(rule()).endLine();
    out.tab(4).text(QStringLiteral("| ") + headers[0]);
    const int headerTabs[] = {23, 42, 65, 80, 92};
    for (int c = 1; c <= 5; ++c)
        out.tab(headerTabs[c - 1]).text(headers[c]);
    out.tab(129).text(QStringLiteral("|")).endLine();
    out.tab(4).text(rule()).endLine();

    QList<QStringList> pages;
    const int rowTabs[] = {8, 22, 42, 66, 81, 92};
    int counter = 0;
    for (const QStringList &row : rows) {
        out.tab(4).text(QStringLiteral("|"));
        for (int c = 0; c <= 5; ++c)
            out.tab(rowTabs[c]).text(cell(row, c));
        out.tab(129).text(QStringLiteral("|")).endLine();
        if (++counter > kLinesPerPage) {
            pages.append(out.takeLines());
            counter = 0;
        }
    }
    out.tab(4).text(rule()).endLine();
    pages.append(out.takeLines());
    return pages;
}
