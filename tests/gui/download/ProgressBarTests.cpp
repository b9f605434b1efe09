#include "TestDownloadDialogs.h"

#include "gui/download/TransferProgressBar.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

void TestDownloadDialogs::floodOfFiguresIsShownAtDisplayRate()
{
    // Thousands of acknowledgements a second must not each move the bar
    // (each move can repaint at once), yet the last figures must show soon.
    TransferProgressBar bar;
    QSignalSpy moves(&bar, &QProgressBar::valueChanged);
    bar.showSent(512, 100000);
    QCOMPARE(bar.value(), 5); // the first figures show at once
    QCOMPARE(bar.format(), QStringLiteral("512 of 100000 bytes"));

    QElapsedTimer clock;
    clock.start();
    for (qint64 sent = 1024; sent <= 100000; sent += 4)
        bar.showSent(sent, 100000);
    const qint64 floodMs = clock.elapsed();
    QVERIFY2(moves.count() <= 2 + floodMs / TransferProgressBar::kRefreshMs,
             qPrintable(QStringLiteral("%1 moves in %2 ms").arg(moves.count()).arg(floodMs)));
    QTRY_COMPARE_WITH_TIMEOUT(bar.format(), QStringLiteral("100000 of 100000 bytes"),
                              5 * TransferProgressBar::kRefreshMs);
    QCOMPARE(bar.value(), bar.maximum());

    // An empty file is complete from the start.
    bar.clear();
    bar.showSent(0, 0);
    QCOMPARE(bar.value(), bar.maximum());
    QCOMPARE(bar.format(), QStringLiteral("0 of 0 bytes"));
}

void TestDownloadDialogs::clearDropsFiguresNotYetShown()
{
    // A transfer that ends between two refreshes leaves an idle, empty bar,
    // and the next transfer's first figures show at once.
    TransferProgressBar bar;
    bar.showSent(512, 2000);
    bar.showSent(1024, 2000);
    bar.clear();
    QTest::qWait(3 * TransferProgressBar::kRefreshMs);
    QCOMPARE(bar.value(), 0);
    QVERIFY(bar.format().isEmpty());
    bar.showSent(300, 300);
    QCOMPARE(bar.format(), QStringLiteral("300 of 300 bytes"));
    QCOMPARE(bar.value(), bar.maximum());
}
