// One executable for the platform area: the UDP socket control, the ping
// control and the ping series.
#include "TestClassRunner.h"

#include <QCoreApplication>

QObject *createUdpSocketControlTest();
QObject *createPingControlTest();
QObject *createPingSeriesTest();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(
        argc, argv, {createUdpSocketControlTest, createPingControlTest, createPingSeriesTest});
}
