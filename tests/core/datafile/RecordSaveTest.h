#pragma once

#include <QObject>

// The Query Device save through the Save As dialog.
class RecordSaveTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dialogStartsAtSettingsFile();
    void saveUpdatesSettings_data();
    void saveUpdatesSettings();
    void pathNotFoundAsksAgain();
    void cancelOrEmptyPathSavesNothing();
    void otherFailureIsThrown();
};
