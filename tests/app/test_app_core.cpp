#include "HostileFilesTest.h"
#include "TestAppCore.h"
#include "TestClassRunner.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv,
                          {[]() -> QObject * { return new TestAppCore; },
                           []() -> QObject * { return new HostileFilesTest; }});
}
