// The blinking status block: its alpha follows the wall clock's 4096 ms cycle
// (solid, 400 ms fade-out, 400 ms fade-in), so all blocks on screen fade
// together, and it repaints only when a frame would differ.
#include "widgets/ZAnimatedLabel.h"

#include <QPaintEvent>
#include <QtTest>

namespace {

// A label on a clock the test sets, counting its paints.
class ClockedLabel : public ZAnimatedLabel
{
public:
    using ZAnimatedLabel::ZAnimatedLabel;
    qint64 now = 0;
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
        const qint64 cycle = 4096;
        const qint64 someDay = 1700000000000LL - 1700000000000LL % cycle;
        QTest::newRow("cycle start") << someDay << 255;
        QTest::newRow("just before the fade") << someDay + 1647 << 255;
        QTest::newRow("fade-out begins") << someDay + 1648 << 255;
        // InOutCubic: a quarter of the way 1/16 done, half way half done.
        QTest::newRow("fade-out quarter") << someDay + 1748 << 239;
        QTest::newRow("fade-out half way") << someDay + 1848 << 127;
        QTest::newRow("fade-out end") << someDay + 2047 << 0;
        QTest::newRow("fade-in begins") << someDay + 2048 << 0;
        QTest::newRow("fade-in quarter") << someDay + 2148 << 15;
        QTest::newRow("fade-in half way") << someDay + 2248 << 127;
        QTest::newRow("fade-in end") << someDay + 2447 << 254;
        // Solid again, not stuck at the last fade frame.
        QTest::newRow("after the fade") << someDay + 2448 << 255;
        QTest::newRow("cycle end") << someDay + 4095 << 255;
        QTest::newRow("next cycle") << someDay + cycle + 1848 << 127;
        QTest::newRow("before the epoch") << qint64(-cycle + 1848) << 127;
    }

    void blinkAlpha()
    {
        QFETCH(qint64, time);
        QFETCH(int, alpha);
        QCOMPARE(ZAnimatedLabel::blinkAlpha(time), alpha);
    }

    void paintsTheBlockWithTheClocksAlpha()
    {
        ClockedLabel label(QStringLiteral("BREAK"));
        label.setColor(QColor(167, 67, 67));
        label.resize(80, 20);
        label.now = 1848;
        label.startAnimation();
        const QImage frame = label.grab().toImage();
        // Half transparent over the window background: not the solid colour.
        QVERIFY(frame.pixelColor(78, 18) != QColor(167, 67, 67));
        // The fade is the frame's, not the colour's.
        QCOMPARE(label.color(), QColor(167, 67, 67));

        label.now = 100;
        const QImage solid = label.grab().toImage();
        QCOMPARE(solid.pixelColor(78, 18), QColor(167, 67, 67));
    }

    void stoppedLabelIsSolid()
    {
        ClockedLabel label(QStringLiteral("INIT"));
        label.setColor(QColor(0, 0, 255));
        label.resize(60, 20);
        label.now = 1848;
        QVERIFY(!label.isAnimating());
        QCOMPARE(label.grab().toImage().pixelColor(58, 18), QColor(0, 0, 255));
    }

    void stoppingInAFadeLeavesTheSolidColour()
    {
        ClockedLabel label(QStringLiteral("TIMEOUT"));
        label.setColor(QColor(167, 67, 67));
        label.resize(60, 20);
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        label.now = 2000;   // nearly faded out
        label.startAnimation();
        QVERIFY(label.grab().toImage().pixelColor(58, 18) != QColor(167, 67, 67));

        label.stopAnimation();
        QCOMPARE(label.color(), QColor(167, 67, 67));
        QCOMPARE(label.grab().toImage().pixelColor(58, 18), QColor(167, 67, 67));
        // The on-screen frame is repainted solid too, not left at the fade.
        const int paints = label.paints;
        QTRY_VERIFY(label.paints > paints);

        // A colour set during a fade is the one kept.
        label.startAnimation();
        label.grab();
        label.setColor(QColor(0, 0, 255));
        label.grab();
        QCOMPARE(label.color(), QColor(0, 0, 255));
        label.stopAnimation();
        QCOMPARE(label.grab().toImage().pixelColor(58, 18), QColor(0, 0, 255));
    }

    void labelsMadeAtDifferentTimesFadeTogether()
    {
        ClockedLabel first(QStringLiteral("BREAK"));
        first.setColor(QColor(167, 67, 67));
        first.now = 500;
        first.startAnimation();
        first.resize(60, 20);
        first.grab();

        ClockedLabel second(QStringLiteral("TIMEOUT"));
        second.setColor(QColor(167, 67, 67));
        second.now = 1500;
        second.startAnimation();
        second.resize(60, 20);
        second.grab();

        for (const qint64 t : {qint64(1700), qint64(1999), qint64(2100), qint64(3000)}) {
            first.now = t;
            second.now = t;
            const QColor firstBlock = first.grab().toImage().pixelColor(58, 18);
            const QColor secondBlock = second.grab().toImage().pixelColor(58, 18);
            QCOMPARE(firstBlock, secondBlock);
            QCOMPARE(firstBlock == QColor(167, 67, 67), ZAnimatedLabel::blinkAlpha(t) == 255);
        }
    }

    void repaintsOnlyWhileFading()
    {
        ClockedLabel label(QStringLiteral("BREAK"));
        label.resize(60, 20);
        label.now = 100;
        label.startAnimation();
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        QTRY_VERIFY(label.paints > 0);
        QCoreApplication::processEvents();

        // Solid phase: the frames would all be the same.
        const int solidPaints = label.paints;
        QTest::qWait(200);
        QCOMPARE(label.paints, solidPaints);

        // Fading: the ticks repaint.
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
