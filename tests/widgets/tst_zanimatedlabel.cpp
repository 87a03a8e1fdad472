// The blinking status block: its alpha follows the wall clock's 4096 ms cycle
// (solid, 400 ms fade-out, 400 ms fade-in), so all blocks on screen fade
// together, and it repaints only when a frame would differ.
#include "widgets/ZAnimatedLabel.h"

#include <QPaintEvent>
#include <QtTest>

namespace {

const QColor kBlock(167, 67, 67);

// A label on a clock the test sets, counting its paints.
class ClockedLabel : public ZAnimatedLabel
{
public:
    explicit ClockedLabel(qint64 start) : ZAnimatedLabel(QStringLiteral("BREAK")), now(start)
    {
        setColor(kBlock);
        resize(60, 20);
    }
    QColor corner() { return grab().toImage().pixelColor(58, 18); }
    qint64 now;
    int paints = 0;

protected:
    qint64 currentTimeMs() const override { return now; }
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        ZAnimatedLabel::paintEvent(event);
    }
};

} // namespace

class TestZAnimatedLabel : public QObject
{
    Q_OBJECT

private slots:
    void blinkAlpha_data()
    {
        QTest::addColumn<qint64>("time");
        QTest::addColumn<int>("alpha");
        const qint64 someDay = 1700000000000LL - 1700000000000LL % 4096;
        QTest::newRow("fade-out begins") << someDay + 1648 << 255;
        // InOutCubic: a quarter of the way 1/16 done, half way half done.
        QTest::newRow("fade-out quarter") << someDay + 1748 << 239;
        QTest::newRow("fade-out end") << someDay + 2047 << 0;
        QTest::newRow("fade-in quarter") << someDay + 2148 << 15;
        // Solid again, not stuck at the last fade frame.
        QTest::newRow("after the fade") << someDay + 2448 << 255;
        QTest::newRow("before the epoch") << qint64(-4096 + 1848) << 127;
    }

    void blinkAlpha()
    {
        QFETCH(qint64, time);
        QFETCH(int, alpha);
        QCOMPARE(ZAnimatedLabel::blinkAlpha(time), alpha);
    }

    void stoppingInAFadeLeavesTheSolidColour()
    {
        ClockedLabel label(2000); // nearly faded out
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        label.startAnimation();
        QVERIFY(label.corner() != kBlock);
        label.stopAnimation();
        QCOMPARE(label.corner(), kBlock);
        // The on-screen frame is repainted solid too.
        const int paints = label.paints;
        QTRY_VERIFY(label.paints > paints);

        // A colour set during a fade is the one kept.
        label.startAnimation();
        label.setColor(QColor(0, 0, 255));
        label.grab();
        label.stopAnimation();
        QCOMPARE(label.corner(), QColor(0, 0, 255));
    }

    void repaintsOnlyWhileFading()
    {
        ClockedLabel label(100);
        label.startAnimation();
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QTRY_VERIFY(label.paints > 0);
        QCoreApplication::processEvents();
        const int solidPaints = label.paints;
        QTest::qWait(200);
        QCOMPARE(label.paints, solidPaints);
        label.now = 1848;
        QTRY_VERIFY(label.paints > solidPaints);
        // Stopped: one solid frame, then no more, whatever the clock says.
        label.stopAnimation();
        QCoreApplication::processEvents();
        const int stoppedPaints = label.paints;
        label.now = 1900;
        QTest::qWait(150);
        QCOMPARE(label.paints, stoppedPaints);
    }
};

QTEST_MAIN(TestZAnimatedLabel)
#include "tst_zanimatedlabel.moc"
