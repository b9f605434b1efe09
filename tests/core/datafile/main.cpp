// The device data file: reading, writing, the record save, the printout layout.
#include "DataFileTest.h"
#include "HostileInputTest.h"
#include "PrintoutTest.h"
#include "RecordSaveTest.h"
#include "TestClassRunner.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runTestClasses(argc, argv,
                          {[]() -> QObject * { return new DataFileTest; },
                           []() -> QObject * { return new RecordSaveTest; },
                           []() -> QObject * { return new PrintoutTest; },
                           []() -> QObject * { return new HostileInputTest; }});
}
