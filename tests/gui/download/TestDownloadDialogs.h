#pragma once

#include <QObject>

// The Load Firmware and Load WebPages dialogs, driven the way a user does,
// against the simulated device.
class TestDownloadDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // DialogInputTests.cpp and DialogTransferTests.cpp: both dialogs
    void controlsAndCaptions_data();
    void controlsAndCaptions();
    void downloadRefused_data();
    void downloadRefused();
    void enterKeyMovesFocus_data();
    void enterKeyMovesFocus();
    void selectFileDialog_data();
    void selectFileDialog();
    void activationShowsCurrentAddress_data();
    void activationShowsCurrentAddress();
    void stopDownloadEndsTheTransfer_data();
    void stopDownloadEndsTheTransfer();
    void stopBeforeConnectionIsDeferred();
    void errorPacketThenTimeout_data();
    void errorPacketThenTimeout();
    void progressWhileRunning_data();
    void progressWhileRunning();

    // ProgressBarTests.cpp
    void floodOfFiguresIsShownAtDisplayRate();
    void clearDropsFiguresNotYetShown();

    // FirmwareDialogTests.cpp
    void destinationsOffered_data();
    void destinationsOffered();
    void reopeningShowsLastChoices();
    void titleBarCloseUnloadsCancelOnlyHides();

    // WebPagesDialogTests.cpp
    void webDirectoryIsTheDeviceFileName_data();
    void webDirectoryIsTheDeviceFileName();
};
