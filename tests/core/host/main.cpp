// One executable for this host: which interfaces a broadcast goes out of,
// which firewall rules stop the device traffic, and the doctor's findings.
#include "TestClassRunner.h"

#include <QCoreApplication>

QObject *createHostChecksTest();
QObject *createDiagnosisTest();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv, {createHostChecksTest, createDiagnosisTest});
}
