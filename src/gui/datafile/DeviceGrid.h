#pragma once

#include "core/device/DeviceRecord.h"

#include <QList>
#include <QStringList>
#include <QTableWidget>

// The viewer's grid: the column headers stand for header row 0, so table row
// i holds record i + 1 with its number in column 0. Rows without a number
// are free rows after the records.
class DeviceGrid : public QTableWidget {
    Q_OBJECT
public:
    static constexpr int MinimumRows = 20;

    explicit DeviceGrid(QWidget *parent = nullptr);

    // Wide enough for every column beside the vertical scroll bar.
    QSize sizeHint() const override;

    // Empties every cell; the number of rows stays.
    void clearTexts();
    // Writes records into rows 1, 2, 3... with their numbers, adding rows
    // when the records outnumber them. Returns the number written.
    int fillRecords(const QList<DeviceRecord> &records);

    // Rows to save or print: row 1 always, then each
    // next row while its number cell is not empty. Six texts per row. A grid
    // without rows gives one empty row.
    QList<QStringList> rowsInUse() const;
    QList<DeviceRecord> recordsInUse() const;

    // Blue with white text for one row; normal colours for record rows 1..count.
    void highlightRow(int row);
    void normalColours(int recordCount);
    void normalRow(int row);
    // Removes a row and renumbers the rows below it up to the first empty number.
    void removeRecordRow(int row);

private:
    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);
    void paintRow(int row, const QBrush &background, const QBrush &foreground);

    int m_highlighted = -1;
};
