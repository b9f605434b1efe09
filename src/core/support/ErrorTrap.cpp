#include "core/support/ErrorTrap.h"

#include "core/support/ErrorLog.h"
#include "core/support/Prompts.h"
#include "core/support/SharedMessages.h"

void reportFailure(const QString &errorLog, Prompts *prompts, const QString &place,
                   const Failure &failure, TrapStyle style)
{
    LogError(errorLog, place, failure);
    if (style == TrapStyle::LogOnly || !prompts)
        return;
    QString text =
        QString::number(failure.number()) + QStringLiteral("\r\n") + failure.description();
    if (style == TrapStyle::Connecting)
        text.prepend(kFailedInConnectingLine + QStringLiteral("\r\n"));
    const PromptIcon icon =
        style == TrapStyle::PlainNoIcon ? PromptIcon::None : PromptIcon::Critical;
    prompts->message(kErrorTitle, text, icon);
}

bool runTrapped(const QString &errorLog, Prompts *prompts, const QString &place,
                const std::function<void()> &body, TrapStyle style,
                const std::function<bool(const Failure &)> &expected)
{
    try {
        body();
        return true;
    } catch (const Failure &failure) {
        if (!(expected && expected(failure)))
            reportFailure(errorLog, prompts, place, failure, style);
        return false;
    }
}
