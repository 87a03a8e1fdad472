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
        for (const char* name : {"Kanalliste", "Messwertanzeige", "Liniendiagramm"})
            tabs.addTab(new QWidget, QString::fromLatin1(name));
        tabs.resize(600, 300);
        tabs.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tabs));
        QSignalSpy reload(&tabs, &ZTabWidget::currentReload);
        auto tap = [&tabs](int index) {
            QTest::mouseClick(tabs.tabBar(), Qt::LeftButton, {}, tabs.tabBar()->tabRect(index).center());
        };
        tap(0);
        QCOMPARE(reload.count(), 1);
        tap(2);
        QCOMPARE(tabs.currentIndex(), 2);
        QCOMPARE(reload.count(), 1);
        tap(2);
        QCOMPARE(reload.count(), 2);
        // A press in the page is not a tap on the tab.
        QTest::mouseClick(tabs.currentWidget(), Qt::LeftButton);
        QCOMPARE(reload.count(), 2);
    }
};

QTEST_MAIN(TestZTabWidget)
#include "tst_ztabwidget.moc"
