#include "QueryDialogTest.h"
#include "ViewerTest.h"

#include <QApplication>
#include <QTest>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = 0;
    QueryDialogTest query;
    failed += QTest::qExec(&query, argc, argv);
    ViewerTest viewer;
    failed += QTest::qExec(&viewer, argc, argv);
    return failed;
}
