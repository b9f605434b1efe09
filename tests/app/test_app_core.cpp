#include "TestAppCore.h"

#include <QTest>

QTEST_GUILESS_MAIN(TestAppCore)
