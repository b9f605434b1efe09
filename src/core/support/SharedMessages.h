#pragma once

class Prompts;

// The four fixed messages that every tool dialog shares, all titled
// "Error Condition" with one OK button.
void ShowInvalidIPAddressMessage(Prompts &prompts);
void showWrongHardwareAddressMessage(Prompts &prompts);
void ShowFileNotFoundMessage(Prompts &prompts);
void ShowPathNotFoundMessage(Prompts &prompts);
