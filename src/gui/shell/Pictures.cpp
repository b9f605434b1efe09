#include "gui/shell/Pictures.h"

#include "core/session/AppContext.h"

#include <QFileInfo>

QPixmap loadPictureFile(const QString &path)
{
    // Opening a FIFO would wait for a writer; a device could be read for ever.
    if (!QFileInfo(path).isFile())
        return {};
    QPixmap picture;
    picture.load(path); // stays null when the file is not a picture
    return picture;
}

QPixmap loadPicture(const AppContext &context, const QString &name)
{
    if (name.trimmed().isEmpty())
        return {};
    return loadPictureFile(context.paths.picture(name));
}

QIcon titleBarIcon(const AppContext &context)
{
    const QPixmap picture = loadPicture(context, context.settings.TitleBarIcon);
    return picture.isNull() ? QIcon() : QIcon(picture);
}
