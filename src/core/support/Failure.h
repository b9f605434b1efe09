#pragma once

#include <QString>
#include <exception>

// A runtime failure: a number and a description. Handlers test by value only
// the three numbers that the user interface reacts to; everything else is
// reported as it comes.
class Failure : public std::exception {
public:
    Failure(int number, QString description)
        : m_number(number), m_description(std::move(description))
    {
    }

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return "Failure"; }

private:
    int m_number;
    QString m_description;
};

// Every failure number the program raises, in one place.
namespace FailureNumber {
// Numbers the handlers test by value.
constexpr int FileNotFound = 53;
constexpr int PathNotFound = 76;
constexpr int DialogCancelled = 32755;

// The run-time's own numbers for conditions that have one.
constexpr int BadFileNameOrNumber = 52;
constexpr int InputPastEndOfFile = 62;
constexpr int PermissionDenied = 70;
constexpr int PathFileAccessError = 75;
constexpr int DeviceIOError = 57;
constexpr int SubscriptOutOfRange = 9;
constexpr int InvalidArgument = 5; // an IP address part out of range or missing
constexpr int TypeMismatch = 13;   // an IP address part that is not a number

// The project's own failures.
constexpr int InvalidAddress = 10001;
constexpr int SocketBindFailed = 10002;
constexpr int SocketSendFailed = 10003;
constexpr int SocketNotConnected = 10004;
constexpr int IcmpUnavailable = 10005;
constexpr int FileTooLarge = 10006;
constexpr int SourceFileChanged = 10007;
constexpr int ProgramNotStarted = 10008;
constexpr int DeviceReportedError = 10009; // a TFTP error packet, for the log
constexpr int NoUsableInterface = 10010;
} // namespace FailureNumber
