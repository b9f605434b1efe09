#include "core/support/SharedMessages.h"

#include "core/support/Prompts.h"

namespace {
const QString kTitle = QStringLiteral("Error Condition");
}

void ShowInvalidIPAddressMessage(Prompts &prompts)
{
    prompts.message(kTitle,
                    QStringLiteral("Invalid range for IP address!\r\nPlease enter new address."),
                    PromptIcon::Exclamation);
}

void showWrongHardwareAddressMessage(Prompts &prompts)
{
    prompts.message(kTitle,
                    QStringLiteral("Invalid Hardware Address for the target!\r\n"
                                   "Please check the Hardware Address entered."),
                    PromptIcon::Exclamation);
}

void ShowFileNotFoundMessage(Prompts &prompts)
{
    prompts.message(kTitle, QStringLiteral("File not found!\r\nSelect another file."),
                    PromptIcon::None);
}

void ShowPathNotFoundMessage(Prompts &prompts)
{
    prompts.message(kTitle, QStringLiteral("Path not found!\r\nSpecify another path."),
                    PromptIcon::None);
}
