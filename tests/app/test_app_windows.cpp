#include "test_app_windows.h"

#include <QTest>

QTEST_MAIN(TestAppWindows)
