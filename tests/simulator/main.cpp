// One executable for the simulator area: the engine in-process, the program,
// and the program inside a network namespace.
#include "TestClassRunner.h"

#include <QCoreApplication>

QObject *createDeviceSimulatorTest();
QObject *createDevsimProgramTest();
QObject *createNamespaceSimulatorTest();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(
        argc, argv,
        {createDeviceSimulatorTest, createDevsimProgramTest, createNamespaceSimulatorTest});
}
