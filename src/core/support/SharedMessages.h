#pragma once

#include <QString>

class Prompts;

// The texts that more than one tool shows, each written once: the windows,
// the command line and the tests use these. Line breaks are "\r\n".

// Titles.
inline const QString kErrorTitle = QStringLiteral("Error Condition");
inline const QString kInformationTitle = QStringLiteral("Information");

// The four fixed messages that every tool dialog shares.
inline const QString kInvalidIPAddressText =
    QStringLiteral("Invalid range for IP address!\r\nPlease enter new address.");
inline const QString kWrongHardwareAddressText =
    QStringLiteral("Invalid Hardware Address for the target!\r\n"
                   "Please check the Hardware Address entered.");
inline const QString kFileNotFoundText = QStringLiteral("File not found!\r\nSelect another file.");
inline const QString kPathNotFoundText = QStringLiteral("Path not found!\r\nSpecify another path.");

// The first line of a trapped failure in a handler that opens a socket or
// starts pinging.
inline const QString kFailedInConnectingLine = QStringLiteral("Failed in connecting socket");

// No reply to the device query.
inline const QString kQueryTimeoutText =
    QStringLiteral("Query timeout to the device!\r\nVerify the address or the\r\n"
                   "connection and try again.");

// A download: its time-out (the first line alone where there is nothing to
// cancel), and its success.
inline const QString kDownloadTimeoutLine = QStringLiteral("Download timeout to the device!");
inline const QString kDownloadTimeoutText =
    kDownloadTimeoutLine + QStringLiteral("\r\nCancel the file download\r\nand try again.");
inline const QString kDownloadSucceededText = QStringLiteral("File download successful!");
// An unacknowledged packet: the title and the text.
inline const QString kTransmitTitle = QStringLiteral("Transmit");
inline const QString kNoAckText = QStringLiteral("No Ack!");

// Assign IP: the confirmation, its failure (title and text), and the
// IP-SETUP socket that could not be made.
inline const QString kAssignSucceededText = QStringLiteral("Assign IP successful!");
inline const QString kAssignFailedTitle = QStringLiteral("Assign IP Failed!");
inline const QString kNoResponseText = QStringLiteral("No response from device!\r\nVerify the IP "
                                                      "and Hardware \r\naddresses and try again.");
inline const QString kNoSocketText = QStringLiteral("Could not create socket.");

// Each shows its message titled kErrorTitle with one OK button.
void ShowInvalidIPAddressMessage(Prompts &prompts);
void showWrongHardwareAddressMessage(Prompts &prompts);
void ShowFileNotFoundMessage(Prompts &prompts);
void ShowPathNotFoundMessage(Prompts &prompts);
