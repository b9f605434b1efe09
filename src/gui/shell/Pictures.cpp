#include "gui/shell/Pictures.h"

#include "core/session/AppContext.h"

#include <QFileInfo>

QPixmap loadPicture(const AppContext &context, const QString &name)
{
    if (name.trimmed().isEmpty())
        return {};
    const QString path = context.paths.picture(name);
    if (!QFileInfo(path).isFile())
        return {};
    QPixmap picture;
    picture.load(path); // stays null when the file is not a picture
    return picture;
}

QIcon titleBarIcon(const AppContext &context)
{
    const QPixmap picture = loadPicture(context, context.settings.TitleBarIcon);
    return picture.isNull() ? QIcon() : QIcon(picture);
}
