// The settings file and record, and odd settings files.
#include "HostileFilesTest.h"
#include "SettingsTest.h"
#include "TestClassRunner.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv,
                          {[]() -> QObject * { return new SettingsTest; },
                           []() -> QObject * { return new HostileFilesTest; }});
}
