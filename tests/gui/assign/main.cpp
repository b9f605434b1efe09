// Assign IP: the dialog on loopback, then end to end across a veth pair.
#include "AssignDialogTest.h"
#include "TestClassRunner.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    return runTestClasses(
        argc, argv, {[]() -> QObject * { return new AssignDialogTest; }, createAssignEndToEndTest});
}
