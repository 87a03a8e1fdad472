// ZTabWidget: a tap on the tab already shown asks for a reload; other taps switch.
#include "widgets/ZTabWidget.h"

#include <QSignalSpy>
#include <QTabBar>
#include <QtTest>

class TestZTabWidget : public QObject
{
    Q_OBJECT

private slots:
    void tapOnCurrentTabReloads();
    void otherButtonsAndPlacesDoNotReload();
};

namespace {

void tapTab(ZTabWidget& tabs, int index, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(tabs.tabBar(), button, {}, tabs.tabBar()->tabRect(index).center());
}

void fill(ZTabWidget& tabs)
{
    for (const char* name : {"Kanalliste", "Messwertanzeige", "Liniendiagramm"})
        tabs.addTab(new QWidget, QString::fromLatin1(name));
    tabs.resize(600, 300);
}

} // namespace

void TestZTabWidget::tapOnCurrentTabReloads()
{
    ZTabWidget tabs;
    fill(tabs);
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QSignalSpy reload(&tabs, &ZTabWidget::currentReload);

    tapTab(tabs, 0);
    QCOMPARE(reload.count(), 1);
    QCOMPARE(tabs.currentIndex(), 0);

    tapTab(tabs, 2);
    QCOMPARE(tabs.currentIndex(), 2);
    QCOMPARE(reload.count(), 1);

    tapTab(tabs, 2);
    QCOMPARE(reload.count(), 2);
    QCOMPARE(tabs.currentIndex(), 2);
}

void TestZTabWidget::otherButtonsAndPlacesDoNotReload()
{
    ZTabWidget tabs;
    fill(tabs);
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QSignalSpy reload(&tabs, &ZTabWidget::currentReload);

    // Right of the last tab: on the bar, but on no tab.
    const QRect last = tabs.tabBar()->tabRect(2);
    if (tabs.tabBar()->width() > last.right() + 5) {
        QTest::mouseClick(tabs.tabBar(), Qt::LeftButton, {},
                          QPoint(last.right() + 3, last.center().y()));
        QCOMPARE(reload.count(), 0);
    }
    // A press in the page is not a tap on the tab.
    QTest::mouseClick(tabs.currentWidget(), Qt::LeftButton);
    QCOMPARE(reload.count(), 0);
}

QTEST_MAIN(TestZTabWidget)
#include "tst_ztabwidget.moc"
