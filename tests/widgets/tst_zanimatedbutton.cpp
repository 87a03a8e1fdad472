// ZAnimatedButton: a still picture until started, the animation's frames on the
// button while running, and nothing moving after stop.
#include "widgets/TevaroResources.h"
#include "widgets/ZAnimatedButton.h"

#include <QImageReader>
#include <QPointer>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kRunning = QStringLiteral(":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif");
const QString kIdle = QStringLiteral(":/pic/logger/icon_ringspeicher_inaktiv_31x31_02.gif");

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

} // namespace

class TestZAnimatedButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
        QVERIFY2(QImageReader(kRunning).supportsAnimation(), "the GIF image plugin is needed");
    }

    void stillUntilStartedAndAfterStop()
    {
        QToolButton button;
        auto* animation = new ZAnimatedButton(&button, kRunning);
        animation->setIcon(kIdle);
        QCOMPARE(iconImage(button), QImageReader(kIdle).read().convertToFormat(QImage::Format_ARGB32));

        // A second start then one stop leaves nothing running.
        animation->setIcon(kRunning);
        animation->start();
        animation->start();
        waitForFrames(button, 4);
        animation->stop();
        QVERIFY(!animation->isRunning());
        const QImage frozen = iconImage(button);
        QTest::qWait(400);
        QCOMPARE(iconImage(button), frozen);

        // The header's ring icon: stop, set the next picture, start plays it.
        animation->setIcon(kIdle);
        animation->start();
        waitForFrames(button, 2);
        QVERIFY(iconImage(button) != frozen);
        animation->stop();
    }

    void nothingToPlayStaysStill()
    {
        auto* button = new QToolButton;
        QPointer<ZAnimatedButton> animation = new ZAnimatedButton(button, QString());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ZAnimatedButton: cannot play.*no_such_picture"));
        animation->setIcon(QStringLiteral(":/pic/logger/no_such_picture.gif"));
        animation->start();
        QVERIFY(!animation->isRunning());
        // Dies with its button, even while running.
        animation->setIcon(kRunning);
        animation->start();
        delete button;
        QVERIFY(animation.isNull());
    }
};

QTEST_MAIN(TestZAnimatedButton)
#include "tst_zanimatedbutton.moc"
