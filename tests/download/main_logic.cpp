#include "TestDownloadLogic.h"

#include <QTest>

QTEST_GUILESS_MAIN(TestDownloadLogic)
