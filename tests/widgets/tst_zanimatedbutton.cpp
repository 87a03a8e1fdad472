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

QImage firstFrame(const QString& path)
{
    return QImageReader(path).read().convertToFormat(QImage::Format_ARGB32);
}

// Watches a button's icon and collects the distinct pictures it shows.
class IconWatcher
{
public:
    explicit IconWatcher(const QAbstractButton& button) : m_button(button) {}
    int distinct()
    {
        const QImage now = iconImage(m_button);
        if (!now.isNull() && !m_seen.contains(now))
            m_seen.append(now);
        return m_seen.size();
    }

private:
    const QAbstractButton& m_button;
    QList<QImage> m_seen;
};

} // namespace

class TestZAnimatedButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void stillPictureUntilStarted();
    void runningShowsTheFrames();
    void stopFreezesTheIcon();
    void secondStartThenStopLeavesNothingRunning();
    void restartPlaysTheNewPicture();
    void nothingToPlayStaysStill();
    void diesWithItsButton();
};

void TestZAnimatedButton::initTestCase()
{
    ensureTevaroResources();
    QImageReader reader(kRunning);
    QVERIFY2(reader.supportsAnimation(), "the GIF image plugin is needed");
    QVERIFY(reader.imageCount() > 1);
}

void TestZAnimatedButton::stillPictureUntilStarted()
{
    QToolButton button;
    auto* animation = new ZAnimatedButton(&button, kRunning);
    QCOMPARE(animation->parent(), &button);
    QVERIFY(button.icon().isNull());

    animation->setIcon(kIdle);
    QVERIFY(!animation->isRunning());
    QCOMPARE(iconImage(button), firstFrame(kIdle));
    QTest::qWait(300);
    QCOMPARE(iconImage(button), firstFrame(kIdle));
}

void TestZAnimatedButton::runningShowsTheFrames()
{
    QToolButton button;
    auto* animation = new ZAnimatedButton(&button, QString());
    animation->setIcon(kRunning);
    animation->start();
    QVERIFY(animation->isRunning());

    IconWatcher watcher(button);
    QTRY_VERIFY_WITH_TIMEOUT(watcher.distinct() >= 4, 5000);
    animation->stop();
}

void TestZAnimatedButton::stopFreezesTheIcon()
{
    QToolButton button;
    auto* animation = new ZAnimatedButton(&button, kRunning);
    animation->start();
    IconWatcher watcher(button);
    QTRY_VERIFY_WITH_TIMEOUT(watcher.distinct() >= 2, 5000);

    animation->stop();
    QVERIFY(!animation->isRunning());
    const QImage frozen = iconImage(button);
    QTest::qWait(500);
    QCOMPARE(iconImage(button), frozen);

    animation->stop(); // stopping twice is harmless
    QVERIFY(!animation->isRunning());
}

void TestZAnimatedButton::secondStartThenStopLeavesNothingRunning()
{
    QToolButton button;
    auto* animation = new ZAnimatedButton(&button, kRunning);
    animation->start();
    animation->start();
    QVERIFY(animation->isRunning());
    IconWatcher watcher(button);
    QTRY_VERIFY_WITH_TIMEOUT(watcher.distinct() >= 2, 5000);

    animation->stop();
    const QImage frozen = iconImage(button);
    QTest::qWait(500);
    QCOMPARE(iconImage(button), frozen);
}

// The header's ring icon: stop, set the next picture, start.
void TestZAnimatedButton::restartPlaysTheNewPicture()
{
    QToolButton button;
    auto* animation = new ZAnimatedButton(&button, QString());
    animation->setIcon(kRunning);
    animation->start();
    animation->stop();
    animation->setIcon(kIdle);
    QCOMPARE(iconImage(button), firstFrame(kIdle));
    animation->start();

    QImageReader reader(kIdle);
    QList<QImage> idleFrames;
    QImage frame;
    while (reader.read(&frame))
        idleFrames << frame.convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(idleFrames.size(), 2);
    // Only frames of the new picture appear, and both of them.
    IconWatcher watcher(button);
    QTRY_VERIFY_WITH_TIMEOUT(watcher.distinct() >= 2, 5000);
    QVERIFY(idleFrames.contains(iconImage(button)));
    animation->stop();
}

void TestZAnimatedButton::nothingToPlayStaysStill()
{
    QToolButton button;
    auto* animation = new ZAnimatedButton(&button, QString());
    animation->start();
    QVERIFY(!animation->isRunning());
    QVERIFY(button.icon().isNull());
    animation->stop();

    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("ZAnimatedButton: cannot play.*no_such_picture"));
    animation->setIcon(QStringLiteral(":/pic/logger/no_such_picture.gif"));
    animation->start();
    QVERIFY(!animation->isRunning());
}

void TestZAnimatedButton::diesWithItsButton()
{
    auto* button = new QToolButton;
    QPointer<ZAnimatedButton> animation = new ZAnimatedButton(button, kRunning);
    animation->start();
    QTest::qWait(200);
    delete button;
    QVERIFY(animation.isNull());
    QTest::qWait(200);
}

QTEST_MAIN(TestZAnimatedButton)
#include "tst_zanimatedbutton.moc"
