// One executable for the platform area: the UDP socket control, its quick
// reply wait, then the ping control.
#include "TestClassRunner.h"

#include <QCoreApplication>

QObject *createUdpSocketControlTest();
QObject *createQuickReplyWaitTest();
QObject *createPingControlTest();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(
        argc, argv, {createUdpSocketControlTest, createQuickReplyWaitTest, createPingControlTest});
}
