#pragma once

#include <QString>

// What Load Firmware remembers for the rest of the run (memory only), so that
// it shows the last choices when it is opened again.
struct FirmwareChoices {
    QString LastFWFile;        // the last file chosen with the select button
    QString LastFWDestination; // the destination of the last download started
};

// What Load WebPages remembers for the rest of the run.
struct WebPageChoices {
    QString LastWebFile;
    QString LastWebDirectory; // also the device file name of the write request
};
