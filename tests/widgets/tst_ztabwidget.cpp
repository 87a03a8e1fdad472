// ZTabWidget: a tap on the tab already shown asks for a reload; other taps switch.
#include "widgets/ZTabWidget.h"

#include <QSignalSpy>
#include <QTabBar>
#include <QtTest>

class TestZTabWidget : public QObject
{
    Q_OBJECT

private slots:
    void tapOnCurrentTabReloads()
    {
        ZTabWidget tabs;
        tabs.addTab(new QWidget, QStringLiteral("Kanalliste"));
        tabs.addTab(new QWidget, QStringLiteral("Liniendiagramm"));
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        QSignalSpy reload(&tabs, &ZTabWidget::currentReload);
        auto tap = [&tabs](int index) {
            QTest::mouseClick(tabs.tabBar(), Qt::LeftButton, {}, tabs.tabBar()->tabRect(index).center());
        };
        tap(1);
        QCOMPARE(tabs.currentIndex(), 1);
        QCOMPARE(reload.count(), 0);
        tap(1);
        QCOMPARE(reload.count(), 1);
        // A press in the page is not a tap on the tab.
        QTest::mouseClick(tabs.currentWidget(), Qt::LeftButton);
        QCOMPARE(reload.count(), 1);
    }
};

QTEST_MAIN(TestZTabWidget)
#include "tst_ztabwidget.moc"
