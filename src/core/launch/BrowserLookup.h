#pragma once

#include "core/launch/ExecLine.h"

#include <QStringList>
#include <optional>

// The desktop's web browser: the default application for http links, else
// for HTML files, as the mimeapps.list files (and the older defaults.list) in
// the XDG config and data folders name it; without one, x-www-browser on
// `searchPath` (empty: PATH). Nothing when there is neither. Entries marked
// Hidden are not installed; desktop IDs are looked up as the desktop maps
// them to files (see desktopEntryFile).
std::optional<ProgramCommand> findBrowser(const QStringList &searchPath = {});
