#include "gui/shell/ToolbarIcons.h"

#include "core/settings/ProgramPaths.h"
#include "gui/shell/Pictures.h"

#include <QPixmap>

namespace {

struct IconFile {
    const char *key;
    const char *file;
};

const IconFile kIconFiles[] = {
    {"Assign IP", "tb_assignip.png"},   {"Ping", "tb_ping.png"},
    {"Query", "tb_query.png"},          {"Load FW", "tb_loadfw.png"},
    {"Load Web", "tb_loadweb.png"},     {"Telnet", "tb_telnet.png"},
    {"Web Config", "tb_webconfig.png"}, {"View File", "tb_viewfile.png"},
};

} // namespace

QString ToolbarIcons::fileName(const QString &key)
{
    for (const IconFile &entry : kIconFiles)
        if (key == QLatin1String(entry.key))
            return QString::fromLatin1(entry.file);
    return {};
}

ToolbarIcons::ToolbarIcons(const ProgramPaths &paths)
{
    for (const IconFile &entry : kIconFiles) {
        const QPixmap picture = loadPictureFile(paths.picture(QString::fromLatin1(entry.file)));
        if (!picture.isNull())
            m_icons.insert(QString::fromLatin1(entry.key), QIcon(picture));
    }
}
