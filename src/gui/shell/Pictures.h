#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

struct AppContext;

// Pictures named by the settings live in the Graphics folder
// (ProgramPaths::graphicsFolder). A name that is blank, or a file that is
// missing or unreadable, gives a null picture: the window then goes on without it.
QPixmap loadPicture(const AppContext &context, const QString &name);

// The picture in the file at `path`; null unless it is a regular file that
// holds a picture.
QPixmap loadPictureFile(const QString &path);

// The window icon named by TitleBarIcon; null when it cannot be loaded.
QIcon titleBarIcon(const AppContext &context);
