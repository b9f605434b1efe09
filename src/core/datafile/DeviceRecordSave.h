#pragma once

#include "core/device/DeviceRecord.h"

class Prompts;
struct SettingsRecord;

// The Query Device save: asks for the data file with a Save As dialog that
// starts at the settings' data file, stores the record there and records the
// location in the settings. A missing folder shows its message and asks
// again; a cancel saves nothing. Other failures are thrown to the caller's
// error trap. Returns true when the record was stored.
bool saveRecordToChosenFile(Prompts &prompts, SettingsRecord &settings, const DeviceRecord &record);
