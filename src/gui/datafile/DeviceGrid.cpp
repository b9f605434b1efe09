#include "gui/datafile/DeviceGrid.h"

#include "core/datafile/DataFilePrintout.h"
#include "core/device/DeviceProtocol.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kColumns = 6;
constexpr int kTwipsPerPixel = 15;
constexpr int kCellMargin = 6;                            // room for the cell's frame and padding
const int kColumnTwips[] = {1500, 1580, 1020, 980, 2800}; // columns 1 to 5

} // namespace

DeviceGrid::DeviceGrid(QWidget *parent) : QTableWidget(MinimumRows, kColumns, parent)
{
    setObjectName(QStringLiteral("grdDeviceData"));
    setHorizontalHeaderLabels(deviceGridHeaders());
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The widths are for a small 8-point face; a wider desktop font scales
    // them all alike, so a hardware address and every device type text still
    // fit their columns.
    const int addressTextWidth =
        fontMetrics().horizontalAdvance(QStringLiteral("00-00-00-00-00-00")) + 2 * kCellMargin;
    int typeTextWidth = 0;
    for (int code = 0; code < 16; ++code)
        typeTextWidth =
            qMax(typeTextWidth,
                 fontMetrics().horizontalAdvance(deviceTypeText(quint8(code))) + 2 * kCellMargin);
    const double scale = std::max({1.0, double(addressTextWidth) * kTwipsPerPixel / kColumnTwips[1],
                                   double(typeTextWidth) * kTwipsPerPixel / kColumnTwips[4]});
    for (int c = 1; c < kColumns; ++c)
        setColumnWidth(c, qRound(kColumnTwips[c - 1] * scale / kTwipsPerPixel));

    // The header cells carry the 3-D light colour of the palette.
    const QColor light = palette().color(QPalette::Light);
    for (int c = 0; c < kColumns; ++c)
        horizontalHeaderItem(c)->setBackground(light);
    horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: %1; }").arg(light.name()));
}

QSize DeviceGrid::sizeHint() const
{
    QSize hint = QTableWidget::sizeHint();
    hint.setWidth(horizontalHeader()->length() + verticalScrollBar()->sizeHint().width() +
                  2 * frameWidth());
    return hint;
}

QString DeviceGrid::text(int row, int column) const
{
    const QTableWidgetItem *cell = item(row, column);
    return cell ? cell->text() : QString();
}

void DeviceGrid::setText(int row, int column, const QString &value)
{
    if (QTableWidgetItem *cell = item(row, column)) {
        cell->setText(value);
        return;
    }
    auto *cell = new QTableWidgetItem(value);
    cell->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setItem(row, column, cell);
}

void DeviceGrid::clearTexts()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < kColumns; ++c)
            if (QTableWidgetItem *cell = item(r, c))
                cell->setText(QString());
}

int DeviceGrid::fillRecords(const QList<DeviceRecord> &records)
{
    const int count = int(records.size());
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    setSortingEnabled(false);
    if (rowCount() < count)
        setRowCount(count);
    for (int r = 0; r < count; ++r) {
        setText(r, 0, QString::number(r + 1));
        for (int f = 0; f < DeviceRecord::FieldCount; ++f)
            setText(r, f + 1, records[r].fields[size_t(f)]);
    }
    setUpdatesEnabled(updates);
    return count;
}

QList<QStringList> DeviceGrid::rowsInUse() const
{
    // Row 1 goes out even when every row has been removed: an empty record.
    if (rowCount() == 0)
        return {QStringList(kColumns, QString())};
    QList<QStringList> rows;
    for (int r = 0; r < rowCount(); ++r) {
        if (r > 0 && text(r, 0).isEmpty())
            break;
        QStringList row;
        for (int c = 0; c < kColumns; ++c)
            row << text(r, c);
        rows << row;
    }
    return rows;
}

QList<DeviceRecord> DeviceGrid::recordsInUse() const
{
    QList<DeviceRecord> records;
    for (const QStringList &row : rowsInUse()) {
        DeviceRecord record;
        for (int f = 0; f < DeviceRecord::FieldCount; ++f)
            record.fields[size_t(f)] = row[f + 1];
        records << record;
    }
    return records;
}

void DeviceGrid::paintRow(int row, const QBrush &background, const QBrush &foreground)
{
    for (int c = 0; c < kColumns; ++c) {
        if (!item(row, c))
            setText(row, c, QString());
        item(row, c)->setBackground(background);
        item(row, c)->setForeground(foreground);
    }
}

void DeviceGrid::highlightRow(int row)
{
    paintRow(row, QColor(0, 0, 255), QColor(Qt::white));
    m_highlighted = row;
}

void DeviceGrid::normalRow(int row)
{
    if (row >= 0 && row < rowCount())
        paintRow(row, QBrush(), QBrush());
    if (row == m_highlighted)
        m_highlighted = -1;
}

void DeviceGrid::normalColours(int recordCount)
{
    // Only one row is ever highlighted, so only that one needs repainting.
    if (m_highlighted >= 0 && m_highlighted < recordCount)
        normalRow(m_highlighted);
}

void DeviceGrid::removeRecordRow(int row)
{
    if (row == m_highlighted)
        m_highlighted = -1;
    else if (row < m_highlighted)
        --m_highlighted;
    removeRow(row);
    for (int r = row; r < rowCount() && !text(r, 0).isEmpty(); ++r)
        setText(r, 0, QString::number(r + 1));
}
