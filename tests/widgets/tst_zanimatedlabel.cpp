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
    void blinkAlpha()
    {
        const qint64 someDay = 1700000000000LL - 1700000000000LL % 4096;
        const QPair<qint64, int> cases[] = {
            {someDay + 1648, 255}, // the fade-out begins
            {someDay + 1748, 239}, // InOutCubic: a quarter of the way 1/16 done
            {someDay + 2047, 0},
            {someDay + 2448, 255},       // solid again, not stuck at the last fade frame
            {qint64(-4096 + 1848), 127}, // before the epoch
        };
        for (const auto& c : cases)
            QCOMPARE(ZAnimatedLabel::blinkAlpha(c.first), c.second);
    }

    // Frames only while fading; a stop in a fade repaints the kept colour
    // solid, then nothing more whatever the clock says.
    void repaintsOnlyWhileFadingAndStopsSolid()
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
        label.now = 2000; // nearly faded out
        QTRY_VERIFY(label.paints > solidPaints);
        QVERIFY(label.corner() != kBlock);
        label.setColor(QColor(0, 0, 255));
        label.grab();
        label.stopAnimation();
        const int stopPaints = label.paints;
        QCOMPARE(label.corner(), QColor(0, 0, 255));
        QTRY_VERIFY(label.paints > stopPaints + 1); // the grab above and the on-screen frame
        QCoreApplication::processEvents();
        const int stoppedPaints = label.paints;
        label.now = 1900;
        QTest::qWait(150);
        QCOMPARE(label.paints, stoppedPaints);
    }
};

QTEST_MAIN(TestZAnimatedLabel)
#include "tst_zanimatedlabel.moc"
