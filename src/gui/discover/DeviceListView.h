#pragma once

#include "core/device/DeviceListing.h"

#include <QHash>
#include <QTreeWidget>
#include <optional>

// The device list of Find Devices: a row per device, kept by hardware
// address, sortable by every column (addresses and versions by number). A
// device in an address conflict or out of this host's reach is highlighted
// and says why in its Status column and tool tip. An empty list shows a line
// of text instead.
class DeviceListView : public QTreeWidget {
    Q_OBJECT
public:
    explicit DeviceListView(QWidget *parent = nullptr);

    void setPlaceholderText(const QString &text);
    QString placeholderText() const { return m_placeholder; }

    // Adds the device's row, or brings an existing one up to date.
    QTreeWidgetItem *showDevice(const ListedDevice &device);
    void clearDevices();

    // The device of the row chosen (selected).
    std::optional<ListedDevice> chosenDevice() const;
    // Chooses the row with the cursor, where the view put the cursor there on
    // its own: a key pressed on it means that row.
    void chooseCurrent();
    // Every device, in the order shown.
    QList<ListedDevice> devices() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    bool m_focusing = false;                  // the view moves the cursor on its own
    QHash<QString, QTreeWidgetItem *> m_rows; // by hardware address
    QString m_placeholder;
};
