#pragma once

#include <QString>
#include <functional>
#include <optional>

class Prompts;

// The file-dialog pattern every file handler shares: ask for a path and use
// it; a missing folder (76) or a missing file (53) shows its message and asks
// again; a cancel ends quietly. Any other failure is thrown on to the
// handler's error trap. Returns true when `use` ran to its end.
bool withChosenFile(Prompts &prompts, const std::function<std::optional<QString>()> &ask,
                    const std::function<void(const QString &)> &use);
