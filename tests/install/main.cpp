// The installed program and the Debian package.
#include "InstallTest.h"
#include "TestContext.h"

#include <QApplication>
#include <QTest>

int main(int argc, char **argv)
{
    usePrivateMounts(); // before any thread: a read-only share folder for root
    QApplication app(argc, argv);
    InstallTest test;
    return QTest::qExec(&test, argc, argv);
}
