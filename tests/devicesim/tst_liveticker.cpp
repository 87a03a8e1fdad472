// The simulator's clock: steps at its interval, holds still while paused, and
// a step that throws is logged without ending the device.
#include "../common/LogCapture.h"

#include "LiveTicker.h"

#include <QtTest>

#include <atomic>
#include <stdexcept>

class TestLiveTicker : public QObject
{
    Q_OBJECT

private slots:
    void failingStepsAreLoggedAndTheClockGoesOn()
    {
        LogCapture log;
        std::atomic<int> steps{0};
        devicesim::LiveTicker ticker(
            [&steps] {
                const int step = ++steps;
                if (step <= 3 || step == 6)
                    throw std::runtime_error("no channel node");   // three times alike, then again after a success
                if (step == 4)
                    throw 42;
            },
            2);
        ticker.setPaused(true);
        ticker.start();
        QTest::qWait(50);
        QCOMPARE(steps.load(), 0);
        ticker.setPaused(false);
        QTRY_VERIFY_WITH_TIMEOUT(steps.load() >= 10, 5000);
        ticker.stop();
        const int stopped = steps.load();
        QTest::qWait(30);
        QCOMPARE(steps.load(), stopped);
        QCOMPARE(log.matching(QStringLiteral("Live values step failed: no channel node")).size(), 2);
        QCOMPARE(log.matching(QStringLiteral("Live values step failed: unknown exception")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLiveTicker)
#include "tst_liveticker.moc"
