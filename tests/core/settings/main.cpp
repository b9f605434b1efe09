// The settings file and record, odd settings files, where the files are.
#include "HostileFilesTest.h"
#include "ProgramPathsTest.h"
#include "SettingsTest.h"
#include "TestClassRunner.h"
#include "TestContext.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    usePrivateMounts(); // before any thread: read-only folders for root
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv,
                          {[]() -> QObject * { return new SettingsTest; },
                           []() -> QObject * { return new HostileFilesTest; },
                           []() -> QObject * { return new ProgramPathsTest; }});
}
