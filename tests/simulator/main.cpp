// One executable for the simulator area: the engine in-process, then the program.
#include <QCoreApplication>

int runDeviceSimulatorTest(int argc, char **argv);
int runDevsimProgramTest(int argc, char **argv);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int failures = runDeviceSimulatorTest(argc, argv);
    failures += runDevsimProgramTest(argc, argv);
    return failures;
}
