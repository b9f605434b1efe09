// The device protocol: the reply decoder and the query exchange, the IP-SETUP
// send and its confirmation, discovery.
#include "DiscoveryTest.h"
#include "HostileReplyTest.h"
#include "IpSetupTest.h"
#include "QueryReplyTest.h"
#include "TestClassRunner.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv,
                          {[]() -> QObject * { return new QueryReplyTest; },
                           []() -> QObject * { return new HostileReplyTest; },
                           []() -> QObject * { return new IpSetupTest; },
                           []() -> QObject * { return new DiscoveryTest; }});
}
