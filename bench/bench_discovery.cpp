// Discovery of 250 simulated devices: one devsim plays them in a network
// namespace of this program's own, at consecutive addresses; the query goes
// out of this host's end of the veth pair only. Prints, per round, the
// devices found of 250, the replies received of 500 (each device hears the
// subnet broadcast and 255.255.255.255), and the time to the last reply.
// Needs root (network namespaces).
#include "NetnsFixture.h"
#include "core/device/DeviceDiscovery.h"
#include "core/session/EngineOptions.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <cstdio>

namespace {

constexpr int kDevices = 250;
constexpr int kRounds = 5;

struct Round {
    int devices = 0;
    int replies = 0;
    qint64 lastReplyMs = 0;
    qint64 lastNewDeviceMs = 0;
    int receiveBuffer = 0;
};

Round discover(const NetnsFixture &ns, int receiveBufferBytes)
{
    DeviceDiscovery discovery;
    DiscoveryOptions options = discoveryOptions(AppContext());
    options.port = ns.queryPort();
    options.interfaceNames = {ns.hostInterface()};
    if (receiveBufferBytes >= 0)
        options.receiveBufferBytes = receiveBufferBytes;
    QEventLoop loop;
    QObject::connect(&discovery, &DeviceDiscovery::finished, &loop, &QEventLoop::quit);
    discovery.start(options); // default time-out: 2 s
    loop.exec();
    const DiscoveryTally &tally = discovery.tally();
    return {int(tally.devices().size()), tally.repliesTaken(), tally.lastReplyMs(),
            tally.lastNewDeviceMs(), discovery.interfaces().first().receiveBufferBytes};
}

void print(const char *label, const Round &r)
{
    std::printf("%-26s %4d of %d devices (%d lost), %4d of %d replies, last reply at %4lld ms, "
                "last new device at %4lld ms, receive buffer %d bytes\n",
                label, r.devices, kDevices, kDevices - r.devices, r.replies, 2 * kDevices,
                static_cast<long long>(r.lastReplyMs), static_cast<long long>(r.lastNewDeviceMs),
                r.receiveBuffer);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    NetnsFixture ns;
    QString why;
    if (!ns.setUp(&why)) {
        std::printf("bench_discovery skipped: %s\n", qPrintable(why));
        return 0;
    }
    // .3 to .252 of the namespace's /24; the log would only cost time.
    if (!ns.startSimulator({QStringLiteral("--devices"), QString::number(kDevices),
                            QStringLiteral("--first-address"), ns.address(3),
                            QStringLiteral("--log"), QStringLiteral("/dev/null")},
                           &why)) {
        std::printf("bench_discovery: the simulator did not start: %s\n", qPrintable(why));
        return 1;
    }
    std::printf("Discovery of %d simulated devices on %s (time-out 2 s)\n", kDevices,
                qPrintable(ns.hostInterface()));
    bool allFound = true;
    for (int i = 1; i <= kRounds; ++i) {
        const Round r = discover(ns, -1);
        allFound = allFound && r.devices == kDevices;
        print(qPrintable(QStringLiteral("round %1").arg(i)), r);
    }
    // For comparison: the system's default receive buffer.
    print("default receive buffer", discover(ns, 0));
    std::printf("target 250 of 250 within the time-out: %s\n", allFound ? "met" : "NOT met");
    return allFound ? 0 : 1;
}
