// The cfgutil program: its command line and documents in this process, and
// its commands against simulated devices in network namespaces.
#include "TestClassRunner.h"

#include <QCoreApplication>

QObject *createCommandLineTest();
QObject *createCommissionCliTest();
QObject *createNamespaceCliTest();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv,
                          {createCommandLineTest, createCommissionCliTest, createNamespaceCliTest});
}
