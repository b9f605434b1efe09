#pragma once

struct AppContext;

// The two Help items: each shows one information message naming where to look;
// nothing is opened or sent.
void showReleaseNotesMessage(AppContext &context);
void showFirmwareUpdatesMessage(AppContext &context);
