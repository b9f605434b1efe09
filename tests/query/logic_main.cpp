#include "DataFileTest.h"
#include "PrintoutTest.h"
#include "QueryReplyTest.h"
#include "RecordSaveTest.h"

#include <QCoreApplication>
#include <QTest>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int failed = 0;
    QueryReplyTest reply;
    failed += QTest::qExec(&reply, argc, argv);
    DataFileTest dataFile;
    failed += QTest::qExec(&dataFile, argc, argv);
    RecordSaveTest recordSave;
    failed += QTest::qExec(&recordSave, argc, argv);
    PrintoutTest printout;
    failed += QTest::qExec(&printout, argc, argv);
    return failed;
}
