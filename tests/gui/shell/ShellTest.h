#pragma once

#include <QObject>

// The shell's windows: main window menus, toolbar, tool options, the dialog
// registry and program end, the About box, Help messages, pictures and start-up.
// The slots are defined in one file per topic.
class ShellTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Main window
    void menusAndToolbar();
    void toolOptions_data();
    void toolOptions();
    void dispatch_data();
    void dispatch();
    void dialogsOfTheRegistry();
    void unloadAllForms_data();
    void unloadAllForms();
    void realDialogsOpenOnceAndCloseAtEnd();

    // About box, Help, pictures, start-up
    void about_data();
    void about();
    void aboutLoadsEachTimeAndOkCloses();
    void helpMessages_data();
    void helpMessages();
    void pictures_data();
    void pictures();
    void toolbarPictures_data();
    void toolbarPictures();
    void fileFilters_data();
    void fileFilters();
    void startup_data();
    void startup();
};
