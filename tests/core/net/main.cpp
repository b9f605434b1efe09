// One executable for the platform area: the UDP socket control, the ping
// control and the ping series, then this host's interfaces and firewall.
#include "TestClassRunner.h"

#include <QCoreApplication>

QObject *createUdpSocketControlTest();
QObject *createPingControlTest();
QObject *createPingSeriesTest();
QObject *createHostChecksTest();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv,
                          {createUdpSocketControlTest, createPingControlTest, createPingSeriesTest,
                           createHostChecksTest});
}
