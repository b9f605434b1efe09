#pragma once

#include "core/support/Failure.h"

#include <QString>
#include <QtGlobal>
#include <optional>

// What one IP-SETUP send came to. It shows nothing: the dialog turns it into
// message boxes, the command line into text and an exit code.
struct IpSetupOutcome {
    enum class Kind {
        Sent,             // the datagram left this host; nothing is received
        ConversionFailed, // the new address did not convert; `failure` says why
        UnknownHost,      // `detail`: the text that did not resolve
        SocketFailed,     // no socket, or the send failed; `detail`: the system's reason
    };
    Kind kind = Kind::Sent;
    std::optional<Failure> failure;
    QString detail;

    bool sent() const { return kind == Kind::Sent; }
};

// What ResolveHostAddress gives for a text that names no IPv4 host.
constexpr quint32 UnresolvedHost = 0xFFFFFFFF;

// The IPv4 address of a text, in network byte order: the dotted form first
// (decimal octets, as the address texts are read everywhere else), else an
// IPv4 host-name look-up, which may block. UnresolvedHost when neither gives
// one (an empty text or one with a NUL character is never looked up).
quint32 ResolveHostAddress(const QString &text);

// Sends the 20-byte IP-SETUP datagram once, to the new address's x.y.z.255
// on `port`, from an unbound IPv4 datagram socket that may broadcast. The
// datagram carries the new address as typed (octets may carry blanks) and the
// last two bytes of the hardware address. The socket lives for this call only:
// no path leaves a descriptor open.
IpSetupOutcome set_tmx_ip(const QString &newIpText, const QString &hardwareText, quint16 port);
