// One executable for the platform area: the UDP socket control, then the ping control.
#include <QCoreApplication>

int runUdpSocketControlTest(int argc, char **argv);
int runPingControlTest(int argc, char **argv);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int failures = runUdpSocketControlTest(argc, argv);
    failures += runPingControlTest(argc, argv);
    return failures;
}
