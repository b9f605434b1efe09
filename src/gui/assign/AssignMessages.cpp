#include "gui/assign/AssignMessages.h"

#include "core/device/IpSetupExchange.h"
#include "core/session/AppContext.h"
#include "core/support/ErrorTrap.h"
#include "core/support/Prompts.h"

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
        context.prompts->message(QStringLiteral("Error Condition"),
                                 QStringLiteral("Uknown Host: \r\nPlease enter new address."),
                                 PromptIcon::Exclamation);
        return;
    case IpSetupOutcome::Kind::SocketFailed:
        context.prompts->message(QStringLiteral("Winsock Error Condition"),
                                 QStringLiteral("Could not create socket."),
                                 PromptIcon::Exclamation);
        return;
    }
}

void showAssignSucceeded(Prompts &prompts)
{
    prompts.message(QStringLiteral("Information"), QStringLiteral("Assign IP successful!"),
                    PromptIcon::None);
}

void showAssignFailed(Prompts &prompts)
{
    prompts.message(QStringLiteral("Assign IP Failed!"),
                    QStringLiteral("No response from device!\r\nVerify the IP and Hardware "
                                   "\r\naddresses and try again."),
                    PromptIcon::None);
}
