#pragma once

#include "gui/download/DownloadDialog.h"

// Load WebPages: the destination is a directory of the device, picked from
// WEB1 to WEB6 or typed; that text itself is the device file name.
class LoadWebPagesDialog : public DownloadDialog {
    Q_OBJECT
public:
    explicit LoadWebPagesDialog(AppContext &context, QWidget *parent = nullptr);

protected:
    void loadDestinations() override;
    std::optional<QString> deviceFileName() override;
    QString &lastFile() override;
    QString &lastDestination() override;
};
