#include "SupportTest.h"

#include <QTest>

QTEST_GUILESS_MAIN(SupportTest)
