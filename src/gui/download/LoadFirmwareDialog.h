#pragma once

#include "core/tftp/FirmwareDestination.h"
#include "gui/download/DownloadDialog.h"

// Load Firmware: the destination list comes from the product infobase, or is
// the one locked entry that the end user setting fixes; the infobase maps the
// chosen display name to the device file name. Those rules are the firmware
// destination's; the dialog shows the list and asks the question.
class LoadFirmwareDialog : public DownloadDialog {
    Q_OBJECT
public:
    explicit LoadFirmwareDialog(AppContext &context, QWidget *parent = nullptr);

    // The infobase the dialog read or created at load; the download looks
    // the destination up in this same file. Empty for the fixed destination.
    QString effectiveInfobase() const { return m_destinations.infobasePath; }

protected:
    void loadDestinations() override;
    std::optional<QString> deviceFileName() override;
    QString &lastFile() override;
    QString &lastDestination() override;

private:
    bool createInfobaseAsked(const QString &shownName);

    FirmwareDestinationList m_destinations;
};
