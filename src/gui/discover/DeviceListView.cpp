#include "gui/discover/DeviceListView.h"

#include "core/support/ShownText.h"

#include <QHeaderView>
#include <QPainter>

namespace {

// A row that keeps its device and sorts by the device's keys.
class DeviceRow : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 1;

    explicit DeviceRow(const ListedDevice &device) : QTreeWidgetItem(Type) { update(device); }

    void update(const ListedDevice &device)
    {
        m_device = device;
        const QStringList fields = deviceListFields(device);
        const QString status = device.status();
        // Conflicts first: two devices at one address break every other tool.
        const QBrush background = device.conflict()     ? QBrush(QColor(255, 205, 205))
                                  : !device.reachable() ? QBrush(QColor(255, 236, 179))
                                                        : QBrush();
        for (int column = 0; column < DeviceColumn::Count; ++column) {
            // The firmware type is the device's own bytes, the interface
            // names the system's.
            setText(column, shownText(fields.value(column)));
            setToolTip(column, shownText(status, 500));
            setBackground(column, background);
            setForeground(column, background.style() == Qt::NoBrush ? QBrush() : QBrush(Qt::black));
        }
    }

    const ListedDevice &device() const { return m_device; }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        if (other.type() != Type)
            return QTreeWidgetItem::operator<(other);
        const ListedDevice &that = static_cast<const DeviceRow &>(other).m_device;
        const int column = treeWidget() ? treeWidget()->sortColumn() : DeviceColumn::Address;
        const QString mine = deviceSortKey(m_device, column);
        const QString theirs = deviceSortKey(that, column);
        if (mine != theirs)
            return mine < theirs;
        return m_device.device.identity.hardwareAddress < that.device.identity.hardwareAddress;
    }

private:
    ListedDevice m_device;
};

} // namespace

DeviceListView::DeviceListView(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(DeviceColumn::Count);
    setHeaderLabels(deviceListTitles());
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSortingEnabled(true);
    sortByColumn(DeviceColumn::Address, Qt::AscendingOrder);
    header()->setStretchLastSection(true);
    header()->setSectionsClickable(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // The row the cursor moves to is chosen, but not the first row, where the
    // view puts the cursor when the list gets the focus: opening the list
    // chooses no device.
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (!m_focusing && current && !current->isSelected())
            current->setSelected(true);
    });
}

void DeviceListView::setPlaceholderText(const QString &text)
{
    m_placeholder = text;
    viewport()->update();
}

QTreeWidgetItem *DeviceListView::showDevice(const ListedDevice &device)
{
    const QString &key = device.device.identity.hardwareAddress;
    auto *row = static_cast<DeviceRow *>(m_rows.value(key));
    if (!row) {
        row = new DeviceRow(device);
        m_rows.insert(key, row);
        addTopLevelItem(row);
        for (int column = 0; column < DeviceColumn::Status; ++column)
            resizeColumnToContents(column);
    } else if (deviceListFields(row->device()) != deviceListFields(device)) {
        row->update(device);
    } else {
        return row;
    }
    // At once, not when the view gets round to it: a key pressed meanwhile
    // must meet the rows where they are shown.
    sortItems(sortColumn(), header()->sortIndicatorOrder());
    return row;
}

void DeviceListView::chooseCurrent()
{
    if (currentItem() && !currentItem()->isSelected())
        currentItem()->setSelected(true);
}

void DeviceListView::focusInEvent(QFocusEvent *event)
{
    m_focusing = true;
    QTreeWidget::focusInEvent(event);
    m_focusing = false;
}

void DeviceListView::clearDevices()
{
    m_rows.clear();
    clear();
}

std::optional<ListedDevice> DeviceListView::chosenDevice() const
{
    const QList<QTreeWidgetItem *> chosen = selectedItems();
    if (chosen.isEmpty() || chosen.first()->type() != DeviceRow::Type)
        return std::nullopt;
    return static_cast<const DeviceRow *>(chosen.first())->device();
}

QList<ListedDevice> DeviceListView::devices() const
{
    QList<ListedDevice> shown;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (const QTreeWidgetItem *item = topLevelItem(i); item->type() == DeviceRow::Type)
            shown.append(static_cast<const DeviceRow *>(item)->device());
    return shown;
}

void DeviceListView::paintEvent(QPaintEvent *event)
{
    QTreeWidget::paintEvent(event);
    if (topLevelItemCount() > 0 || m_placeholder.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setPen(palette().placeholderText().color());
    painter.drawText(viewport()->rect().adjusted(12, 12, -12, -12),
                     Qt::AlignCenter | Qt::TextWordWrap, m_placeholder);
}
