// The line chart's legend, side panel and channel selection; panel and
// selection with the chart and measurement screen of a running client.
#include "../common/LogCapture.h"
#include "Screenshot.h"
#include "ScreenSession.h"

#include "view/ChannelSelection.h"
#include "view/CustomPlotLine.h"
#include "view/PlotlineLegend.h"
#include "view/PlotlineShortCut.h"
#include "widgets/ZCheckButton.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

#include <algorithm>

namespace {

const QString PIC = QStringLiteral(":/pic/icon/icon_sidebar-button_%1_80x39_%2_V1.0.png");

bool shows(const QToolButton* button, const QString& picture)
{
    const QImage expected = QIcon(picture).pixmap(80, 39).toImage();
    return !expected.isNull() && button->icon().pixmap(80, 39).toImage() == expected;
}

// Texts of a legend group's labels, left to right.
QStringList labelsOf(const QWidget* group)
{
    QList<QLabel*> labels = group->findChildren<QLabel*>();
    std::sort(labels.begin(), labels.end(), [](QLabel* a, QLabel* b) { return a->x() < b->x(); });
    QStringList texts;
    for (const QLabel* label : labels)
        texts << label->text();
    return texts;
}

} // namespace

class TestPlotlinePanels : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;

    ChannelSelection* openDialog()
    {
        session->dataMain()->showChannelDialog(0);
        const QList<ChannelSelection*> open = session->window->findChildren<ChannelSelection*>();
        return open.size() == 1 && open.first()->isVisible() ? open.first() : nullptr;
    }

    static QTableWidget* table(ChannelSelection* dialog)
    {
        return dialog->findChild<QTableWidget*>(QStringLiteral("tblChannelSelectionTable"));
    }

    static ZCheckButton* check(ChannelSelection* dialog, int row)
    {
        return qobject_cast<ZCheckButton*>(table(dialog)->cellWidget(row, 1));
    }

    // A tap on the row's channel text.
    static void tapRow(ChannelSelection* dialog, int row)
    {
        QTableWidget* rows = table(dialog);
        rows->scrollToItem(rows->item(row, 0));
        QTest::mouseClick(rows->viewport(), Qt::LeftButton, {}, rows->visualItemRect(rows->item(row, 0)).center());
    }

    static int checkedCount(ChannelSelection* dialog)
    {
        int checked = 0;
        for (int row = 0; row < table(dialog)->rowCount(); ++row)
            checked += check(dialog, row)->getButtonCheckState() == ZCheckButton::Checked;
        return checked;
    }

    // Closes the dialog with one of its buttons and waits until it is deleted.
    static void closeWith(ChannelSelection* dialog, const char* button)
    {
        QPointer<ChannelSelection> watched(dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
        QTRY_VERIFY(watched.isNull());
    }

private slots:
    void initTestCase()
    {
        session.reset(new ScreenSession());
        QVERIFY(session->start());
    }

    void cleanupTestCase() { session.reset(); }

    void legendLaysOutSides()
    {
        QWidget chart;
        chart.resize(900, 300);
        auto* legend = new PlotlineLegend(&chart, 150, 24, 150, 64);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.resize(1000, 300);
        QCOMPARE(legend->width(), 700);   // follows the chart's width

        legend->addItem(QStringLiteral("Druck"), Qt::red, 0);
        legend->addItem(QStringLiteral("Abluft"), Qt::blue, 0);
        legend->addItem(QStringLiteral("Abluft"), Qt::green, 0);   // replaces the colour
        legend->addItem(QStringLiteral("Ignoriert"), Qt::black, 2);
        legend->addItem(QStringLiteral("Feuchte"), Qt::cyan, 1);
        legend->rebuild();
        QCOMPARE(labelsOf(legend->getLeftGroup()), QStringList({"Abluft", "Druck"}));
        QCOMPARE(labelsOf(legend->getRightGroup()), QStringList({"Feuchte"}));
        QCOMPARE(legend->getLeftItems().value(QStringLiteral("Abluft")), QColor(Qt::green));
        // Flush with the right edge of what shows.
        QCOMPARE(legend->getRightGroup()->x() + legend->getRightGroup()->width(), legend->viewport()->width());

        // Too many names: the right group keeps its gap and the strip scrolls.
        for (int i = 0; i < 12; ++i)
            legend->addItem(QStringLiteral("Kanal mit langem Namen %1").arg(i), Qt::gray, 0);
        legend->rebuild();
        const QWidget* left = legend->getLeftGroup();
        QVERIFY(legend->getRightGroup()->x() - (left->x() + left->width()) >= 64);
        QVERIFY(grabScreenshot(&chart, QStringLiteral("plotline-legend.png")));

        // Resized while empty: the next rows still end at the new right edge.
        legend->clear();
        chart.resize(1200, 300);
        legend->addItem(QStringLiteral("Feuchte"), Qt::cyan, 1);
        legend->rebuild();
        QCOMPARE(legend->getRightGroup()->x() + legend->getRightGroup()->width(), legend->viewport()->width());
    }

    void sidePanel()
    {
        CustomPlotLine* chart = session->dataMain()->getChart();
        PlotlineShortCut panel(chart);
        panel.resize(240, 640);
        auto* manual = panel.findChild<QToolButton*>(QStringLiteral("tbtnPlotlineShortCutManual"));
        auto* follow = panel.findChild<QToolButton*>(QStringLiteral("tbtnPlotlineShortCutAuto"));
        auto* complete = panel.findChild<QToolButton*>(QStringLiteral("tbtnPlotlineShortCutComplete"));
        auto* back = panel.findChild<QToolButton*>(QStringLiteral("tbtnPlotlineShortCutActual"));

        // Shown again and again, every button keeps one connection.
        for (int i = 0; i < 3; ++i) {
            panel.show();
            panel.hide();
        }
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        {
            LogCapture log;
            follow->dumpObjectInfo();
            back->dumpObjectInfo();
            QCOMPARE(log.matching(QStringLiteral("clickModeAuto")).size(), 1);
            QCOMPARE(log.matching(QStringLiteral("setActualMeasure")).size(), 1);
        }

        QTest::mouseClick(follow, Qt::LeftButton);
        QCOMPARE(chart->getViewMode(), 1);
        QVERIFY(shows(follow, PIC.arg("auto", "orange")));
        QTest::mouseClick(manual, Qt::LeftButton);
        QCOMPARE(chart->getViewMode(), 0);
        QVERIFY(shows(manual, PIC.arg("manuell", "orange")) && shows(follow, PIC.arg("auto", "grau")));
        panel.setViewMode(7);   // no mode of the panel: the marks stay
        QVERIFY(shows(manual, PIC.arg("manuell", "orange")));

        // A stored measurement offers only the return to the running one.
        panel.setHistMeasureMode(1);
        QVERIFY(back->isVisible());
        QVERIFY(!manual->isEnabled() && !follow->isEnabled() && !complete->isEnabled());
        QVERIFY(grabScreenshot(&panel, QStringLiteral("plotline-shortcut.png")));
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(chart->isHistMeasure(), 0);
        QCOMPARE(chart->getViewMode(), 2);
        QVERIFY(manual->isEnabled() && follow->isEnabled() && complete->isEnabled());
        QVERIFY(shows(complete, PIC.arg("gesamte-messung", "orange")));
    }

    void channelSelection()
    {
        QMap<int, GraphDescriptor> graphs;
        for (int i = 24; i >= 0; --i)
            graphs.insert(i, GraphDescriptor(i, QStringLiteral("CH%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                                             QStringLiteral("Temperatur"), QStringLiteral("°C"), Qt::red, i % 2, true));
        DataMain* screen = session->dataMain();
        screen->setPlotGraphs(graphs);
        screen->showChannelDialog(1);
        QVERIFY(session->window->findChildren<ChannelSelection*>().isEmpty());

        ChannelSelection* dialog = openDialog();
        QVERIFY(dialog);
        QCOMPARE(table(dialog)->item(24, 0)->text(), QStringLiteral("CH25 °C Temperatur"));   // in channel order
        QCOMPARE(checkedCount(dialog), 25);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("channel-selection.png")));

        // At the limit only the checked buttons may change; below it all.
        for (int row = 0; row < 5; ++row)
            tapRow(dialog, row);
        QCOMPARE(checkedCount(dialog), 20);
        QVERIFY(!check(dialog, 0)->isEnabled() && check(dialog, 5)->isEnabled());
        tapRow(dialog, 0);   // disabled: nothing
        QCOMPARE(check(dialog, 0)->getButtonCheckState(), ZCheckButton::Unchecked);
        QTest::mouseClick(check(dialog, 5), Qt::LeftButton);
        QCOMPARE(checkedCount(dialog), 19);
        QVERIFY(check(dialog, 0)->isEnabled());
        closeWith(dialog, "btnCancel");

        dialog = openDialog();
        QVERIFY(dialog);
        QCOMPARE(checkedCount(dialog), 25);   // cancelled: the screen's graphs are unchanged
        for (int row = 0; row < 6; ++row)
            tapRow(dialog, row);
        closeWith(dialog, "btnOK");

        dialog = openDialog();
        QVERIFY(dialog);
        QCOMPARE(checkedCount(dialog), 19);
        QCOMPARE(check(dialog, 6)->getButtonCheckState(), ZCheckButton::Checked);
        closeWith(dialog, "btnCancel");
    }
};

QTEST_MAIN(TestPlotlinePanels)
#include "tst_plotlinepanels.moc"
