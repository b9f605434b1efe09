#include "core/support/SharedMessages.h"

#include "core/support/Prompts.h"

void ShowInvalidIPAddressMessage(Prompts &prompts)
{
    prompts.message(kErrorTitle, kInvalidIPAddressText, PromptIcon::Exclamation);
}

void showWrongHardwareAddressMessage(Prompts &prompts)
{
    prompts.message(kErrorTitle, kWrongHardwareAddressText, PromptIcon::Exclamation);
}

void ShowFileNotFoundMessage(Prompts &prompts)
{
    prompts.message(kErrorTitle, kFileNotFoundText, PromptIcon::None);
}

void ShowPathNotFoundMessage(Prompts &prompts)
{
    prompts.message(kErrorTitle, kPathNotFoundText, PromptIcon::None);
}
