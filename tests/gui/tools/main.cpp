#include "TestToolDialogs.h"

#include <QTest>

QTEST_MAIN(TestToolDialogs)
