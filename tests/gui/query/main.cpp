// One executable for the query dialogs: Query Device, then the data file viewer.
#include "QueryDialogTest.h"
#include "TestClassRunner.h"
#include "ViewerTest.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return runTestClasses(argc, argv,
                          {[]() -> QObject * { return new QueryDialogTest; },
                           []() -> QObject * { return new ViewerTest; }});
}
