#pragma once

#include "gui/download/DownloadDialog.h"

// Load Firmware: the destination list comes from the product infobase, or is
// the locked "Default KVR" entry for that end user; the infobase maps the
// chosen display name to the device file name.
class LoadFirmwareDialog : public DownloadDialog {
    Q_OBJECT
public:
    explicit LoadFirmwareDialog(AppContext &context, QWidget *parent = nullptr);

    // The infobase the dialog read or created at load; the download looks
    // the destination up in this same file. Empty for the fixed destination.
    QString effectiveInfobase() const { return m_infobasePath; }

protected:
    void loadDestinations() override;
    std::optional<QString> deviceFileName() override;
    QString &lastFile() override;
    QString &lastDestination() override;

private:
    bool fixedDestination() const;
    void readInfobase(const QString &name);
    void createDefaultInfobase();
    void applyLastDestination();

    QString m_infobasePath;
};
