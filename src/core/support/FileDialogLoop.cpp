#include "core/support/FileDialogLoop.h"

#include "core/support/Failure.h"
#include "core/support/SharedMessages.h"

bool withChosenFile(Prompts &prompts, const std::function<std::optional<QString>()> &ask,
                    const std::function<void(const QString &)> &use)
{
    for (;;) {
        const std::optional<QString> path = ask();
        if (!path)
            return false;
        try {
            use(*path);
            return true;
        } catch (const Failure &failure) {
            if (failure.number() == FailureNumber::PathNotFound)
                ShowPathNotFoundMessage(prompts);
            else if (failure.number() == FailureNumber::FileNotFound)
                ShowFileNotFoundMessage(prompts);
            else if (failure.number() == FailureNumber::DialogCancelled)
                return false;
            else
                throw;
        }
    }
}
