#include "gui/shell/HelpMessages.h"

#include "core/session/AppContext.h"
#include "core/support/Prompts.h"

void showReleaseNotesMessage(AppContext &context)
{
    context.prompts->message(QStringLiteral("Release Notes"),
                             QStringLiteral("Firmware revision release notes for any\r\n"
                                            "of the products can be obtained from\r\n") +
                                 context.settings.RelNotesURL.trimmed(),
                             PromptIcon::Information, PromptButtons::Ok);
}

void showFirmwareUpdatesMessage(AppContext &context)
{
    context.prompts->message(QStringLiteral("Firmware Updates"),
                             QStringLiteral("Subscribe to be notified of new firmware\r\n"
                                            "releases by sending an email request to\r\n") +
                                 context.settings.SubscribeUpdatesEmail.trimmed(),
                             PromptIcon::Information, PromptButtons::Ok);
}
