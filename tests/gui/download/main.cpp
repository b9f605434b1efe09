#include "TestDownloadDialogs.h"

#include <QTest>

QTEST_MAIN(TestDownloadDialogs)
