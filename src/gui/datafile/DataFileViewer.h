#pragma once

#include "gui/shell/ToolDialog.h"

#include <memory>

class DeviceGrid;
class LinePrinter;
class QGroupBox;
class QPushButton;

// frmDataFile: the records of a device data file in a grid, with import,
// save, print and removal of single records from the screen.
class DataFileViewer : public ToolDialog {
    Q_OBJECT
public:
    explicit DataFileViewer(AppContext &context, QWidget *parent = nullptr);
    ~DataFileViewer() override;

    // The printer the printout goes to (the default printer unless replaced).
    void setPrinter(std::unique_ptr<LinePrinter> printer);

    QString currentFolder() const { return m_folder; }
    QString currentFileName() const { return m_fileName; }
    QString currentPath() const { return m_currentPath; }
    int recordCount() const { return m_recordCount; }

protected:
    bool event(QEvent *event) override;

private:
    void buildControls();
    void load();
    void clearGrid();
    void showFileName();
    void importDataFile();
    void saveDataFile();
    void printDataFile();
    void onSelectionChanged();

    QGroupBox *fraDataFile = nullptr;
    DeviceGrid *grdDeviceData = nullptr;
    QPushButton *cmdImportDataFile = nullptr;
    QPushButton *cmdPrintDataFile = nullptr;
    QPushButton *cmdSaveDataFile = nullptr;
    std::unique_ptr<LinePrinter> m_printer;

    QString m_folder; // keeps its trailing '/'
    QString m_fileName;
    QString m_currentPath; // the path the printout names: set by load and import
    int m_recordCount = 0;
    bool m_inSelection = false;
};
