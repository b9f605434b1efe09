// One executable for View File: the data file viewer and its grid.
#include "TestClassRunner.h"
#include "ViewerTest.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return runTestClasses(argc, argv, {[]() -> QObject * { return new ViewerTest; }});
}
