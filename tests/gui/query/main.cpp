// One executable for Query Device.
#include "QueryDialogTest.h"
#include "TestClassRunner.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return runTestClasses(argc, argv, {[]() -> QObject * { return new QueryDialogTest; }});
}
