#include "HostileTransferTest.h"
#include "TestClassRunner.h"
#include "TestDownloadLogic.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv,
                          {[]() -> QObject * { return new TestDownloadLogic; },
                           []() -> QObject * { return new HostileTransferTest; }});
}
