// One executable for the platform area: the UDP socket control, then the ping
// control.
#include "TestClassRunner.h"

#include <QCoreApplication>

QObject *createUdpSocketControlTest();
QObject *createPingControlTest();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv, {createUdpSocketControlTest, createPingControlTest});
}
