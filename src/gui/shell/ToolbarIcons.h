#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

struct ProgramPaths;

// imlCustomToolBarIcons: the pictures of the toolbar buttons, found by the
// button's key. The settings file names no toolbar pictures, so the file names
// are fixed here; a picture that is missing or unreadable is skipped and its
// button goes without an icon.
class ToolbarIcons {
public:
    explicit ToolbarIcons(const ProgramPaths &paths);

    // The picture with this key, or a null icon when there is none.
    QIcon icon(const QString &key) const { return m_icons.value(key); }
    bool contains(const QString &key) const { return m_icons.contains(key); }

    // The file in Graphics/ that holds the picture of a key ("" for no such key).
    static QString fileName(const QString &key);

private:
    QHash<QString, QIcon> m_icons;
};
