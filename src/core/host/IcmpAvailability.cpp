#include "core/host/IcmpAvailability.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {
const char *const kRangeFile = "/proc/sys/net/ipv4/ping_group_range";

bool opens(int type, QString *error)
{
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, IPPROTO_ICMP);
    if (fd < 0) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    ::close(fd);
    return true;
}

bool anyGroupIn(std::pair<qint64, qint64> range)
{
    std::vector<gid_t> groups(size_t(qMax(0, ::getgroups(0, nullptr))));
    const int count = ::getgroups(int(groups.size()), groups.data());
    groups.resize(size_t(qMax(0, count)));
    groups.push_back(::getegid());
    for (const gid_t group : groups)
        if (qint64(group) >= range.first && qint64(group) <= range.second)
            return true;
    return false;
}
} // namespace

std::pair<qint64, qint64> readGroupRange(const QString &text)
{
    const QStringList parts = text.simplified().split(QLatin1Char(' '));
    bool lowOk = false;
    bool highOk = false;
    const qint64 low = parts.value(0).toLongLong(&lowOk);
    const qint64 high = parts.value(1).toLongLong(&highOk);
    if (parts.size() != 2 || !lowOk || !highOk)
        return {1, 0};
    return {low, high};
}

QString IcmpAvailability::sysctlAdvice()
{
    return QStringLiteral("sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"");
}

IcmpAvailability probeIcmp()
{
    IcmpAvailability result;
    result.datagram = opens(SOCK_DGRAM, &result.datagramError);
    result.raw = opens(SOCK_RAW, &result.rawError);
    QFile file(QString::fromLatin1(kRangeFile));
    if (file.open(QIODevice::ReadOnly))
        result.pingGroupRange = QString::fromLatin1(file.readAll()).simplified();
    result.groupInRange = anyGroupIn(readGroupRange(result.pingGroupRange));
    return result;
}
