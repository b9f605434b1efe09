#pragma once

#include <QObject>

// Where the program's files are: the mode decision and the paths of each mode,
// and what the first installed start makes.
class ProgramPathsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decision_data();
    void decision();
    void firstInstalledStart();
    void portableStartMakesNothing();
    void settingsFileThatCannotBeMade();
};
