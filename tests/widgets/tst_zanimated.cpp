// The animated widgets. ZAnimatedButton: a still picture until started, the
// animation's frames while running, nothing moving after stop. ZAnimatedLabel:
// its alpha follows the wall clock's 4096 ms cycle (solid, 400 ms fade-out,
// 400 ms fade-in) so all blocks fade together, and it repaints only when a
// frame would differ.
#include "widgets/TevaroResources.h"
#include "widgets/ZAnimatedButton.h"
#include "widgets/ZAnimatedLabel.h"

#include <QImageReader>
#include <QPointer>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const QString kRunning = QStringLiteral(":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif");
const QString kIdle = QStringLiteral(":/pic/logger/icon_ringspeicher_inaktiv_31x31_02.gif");
const QColor kBlock(167, 67, 67);

QImage iconImage(const QAbstractButton& button)
{
    return button.icon().pixmap(31, 31).toImage().convertToFormat(QImage::Format_ARGB32);
}

// Waits until the button has shown `count` distinct pictures.
void waitForFrames(const QAbstractButton& button, int count)
{
    QList<QImage> seen;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            const QImage now = iconImage(button);
            if (!now.isNull() && !seen.contains(now))
                seen.append(now);
            return seen.size() >= count;
        }(),
        5000);
}

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

class TestZAnimated : public QObject
{
    Q_OBJECT

private slots:
    void buttonStillUntilStartedAndAfterStop()
    {
        ensureTevaroResources();
        QVERIFY2(QImageReader(kRunning).supportsAnimation(), "the GIF image plugin is needed");
        auto button = std::make_unique<QToolButton>();
        QPointer<ZAnimatedButton> animation = new ZAnimatedButton(button.get(), kRunning);
        animation->setIcon(kIdle);
        QCOMPARE(iconImage(*button), QImageReader(kIdle).read().convertToFormat(QImage::Format_ARGB32));

        // A second start then one stop leaves nothing running.
        animation->setIcon(kRunning);
        animation->start();
        animation->start();
        waitForFrames(*button, 4);
        animation->stop();
        QVERIFY(!animation->isRunning());
        const QImage frozen = iconImage(*button);
        QTest::qWait(400);
        QCOMPARE(iconImage(*button), frozen);

        // The header's ring icon: stop, set the next picture, start plays it.
        animation->setIcon(kIdle);
        animation->start();
        waitForFrames(*button, 2);
        QVERIFY(iconImage(*button) != frozen);
        animation->stop();

        // A picture that cannot play is reported and stays still.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZAnimatedButton: cannot play.*no_such_picture"));
        animation->setIcon(QStringLiteral(":/pic/logger/no_such_picture.gif"));
        animation->start();
        QVERIFY(!animation->isRunning());
        // Dies with its button, even while running.
        animation->setIcon(kRunning);
        animation->start();
        button.reset();
        QVERIFY(animation.isNull());
    }

    // Frames only while fading; a stop in a fade repaints the kept colour
    // solid, then nothing more whatever the clock says.
    void labelBlinksOnTheWallClockAndStopsSolid()
    {
        const qint64 someDay = 1700000000000LL - 1700000000000LL % 4096;
        // The fade-out begins; InOutCubic a quarter of the way is 1/16 done; solid again, not stuck
        // at the last fade frame; before the epoch.
        const QPair<qint64, int> alphas[] = {{someDay + 1648, 255}, {someDay + 1748, 239}, {someDay + 2047, 0},
                                             {someDay + 2448, 255}, {qint64(-4096 + 1848), 127}};
        for (const auto& [time, alpha] : alphas)
            QCOMPARE(ZAnimatedLabel::blinkAlpha(time), alpha);

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

QTEST_MAIN(TestZAnimated)
#include "tst_zanimated.moc"
