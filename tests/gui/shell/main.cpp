#include "ShellTest.h"

#include <QTest>

QTEST_MAIN(ShellTest)
