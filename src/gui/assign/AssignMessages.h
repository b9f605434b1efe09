#pragma once

struct AppContext;
struct IpSetupOutcome;
class Prompts;

// The boxes of Assign IP. Every failed IP-SETUP send is reported here: a
// conversion failure through the error reporter and its "Error Condition"
// box, an unresolved address or a socket failure by their own boxes.
void reportIpSetupFailure(AppContext &context, const IpSetupOutcome &outcome);

void showAssignSucceeded(Prompts &prompts);
void showAssignFailed(Prompts &prompts);
