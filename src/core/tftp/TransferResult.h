#pragma once

#include "core/support/Failure.h"

#include <QString>
#include <optional>

// How one TFTP write transfer ended, told once at its end: what its owner
// needs to say so, without following the transfer event by event.
struct TransferResult {
    enum class Outcome {
        Succeeded,          // the device acknowledged the whole file
        TimedOut,           // the time-out of the whole transfer ended it
        Refused,            // the device ended its session with an error packet
        WriteRequestFailed, // the write request could not be sent
        FileChanged,        // the file read was not the file chosen: cut short or grown
        Stopped,            // the owner stopped it
    };
    Outcome outcome = Outcome::Stopped;
    qint64 bytes = 0;      // of the file, acknowledged by the device
    quint16 lastBlock = 0; // the last block the device acknowledged; 0: the write request
    // From the device's last error packet; a code of -1: it sent none.
    int deviceErrorCode = -1;
    QString deviceErrorText;
    // The last failure trapped on the way (the file read, a send), with the
    // label of the operation; it may be why the device went quiet.
    QString failurePlace;
    std::optional<Failure> failure;

    bool succeeded() const { return outcome == Outcome::Succeeded; }
    // The device's error as one text; empty when it sent none.
    QString deviceError() const;
};
