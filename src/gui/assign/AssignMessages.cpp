#include "gui/assign/AssignMessages.h"

#include "core/device/IpSetupExchange.h"
#include "core/session/AppContext.h"
#include "core/support/ErrorTrap.h"
#include "core/support/Prompts.h"
#include "core/support/SharedMessages.h"

void reportIpSetupFailure(AppContext &context, const IpSetupOutcome &outcome)
{
    switch (outcome.kind) {
    case IpSetupOutcome::Kind::Sent:
        return;
    case IpSetupOutcome::Kind::ConversionFailed:
        reportFailure(context.paths.errorLog, context.prompts,
                      QStringLiteral("set_tmx_ip in Assign IP"), *outcome.failure,
                      TrapStyle::Connecting);
        return;
    case IpSetupOutcome::Kind::UnknownHost:
        // Word for word: the blank before the line break and the spelling included.
        context.prompts->message(kErrorTitle,
                                 QStringLiteral("Uknown Host: \r\nPlease enter new address."),
                                 PromptIcon::Exclamation);
        return;
    case IpSetupOutcome::Kind::SocketFailed:
        context.prompts->message(QStringLiteral("Winsock Error Condition"), kNoSocketText,
                                 PromptIcon::Exclamation);
        return;
    }
}

void showAssignSucceeded(Prompts &prompts)
{
    prompts.message(kInformationTitle, kAssignSucceededText, PromptIcon::None);
}

void showAssignFailed(Prompts &prompts)
{
    prompts.message(kAssignFailedTitle, kNoResponseText, PromptIcon::None);
}
