// The chart settings pages of the measurement screen with the graphs of a measurement the simulator runs
// (CH01, CH02 °C, CH04 %rF, CH05 hPa), and the colour choosers' delegate.
#include "Screenshot.h"
#include "ScreenSession.h"

#include "util/CustomPlotLineUtil.h"
#include "view/ChannelSelection.h"
#include "view/ColorDelegate.h"
#include "view/CustomPlotLine.h"
#include "widgets/ZCheckButton.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QtTest>

namespace {

QStringList itemsOf(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QSharedPointer<QCPAxisTickerDateTime> ticker(CustomPlotLine* chart)
{
    return qSharedPointerDynamicCast<QCPAxisTickerDateTime>(chart->xAxis->ticker());
}

} // namespace

class TestPlotConfig : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScreenSession> session;

    DataMain* screen() { return session->dataMain(); }
    CustomPlotLine* chart() { return screen()->getChart(); }
    QTableWidget* table() { return session->find<QTableWidget>(QStringLiteral("tblChannelConfig")); }
    QComboBox* combo(const char* name) { return session->find<QComboBox>(QLatin1String(name)); }
    QComboBox* chooser(int row, int column) { return qobject_cast<QComboBox*>(table()->cellWidget(row, column)); }
    QComboBox* formatChooser()
    {
        return qobject_cast<QComboBox*>(session->find<QTableWidget>(QStringLiteral("tblChannelConfig_2"))->cellWidget(0, 1));
    }

    bool click(const char* name) { return session->click(QLatin1String(name)); }
    // The first settings page, or with second the second one.
    void openSettings(bool second = false)
    {
        QVERIFY(click("tbtnDataSettings"));
        QVERIFY(!second || click("btnForwardChannelConfig"));
        QCOMPARE(screen()->getCurrentPage(), int(second ? DataMain::CHANNEL_CONFIG_PAGE_2 : DataMain::CHANNEL_CONFIG_PAGE));
    }

    void clickSection(int section)
    {
        QHeaderView* header = table()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

    // Both pages as they show, once the cell widgets are laid out.
    void grabPages(const QString& language)
    {
        QTRY_VERIFY(chooser(0, 4)->width() > 50);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("plotconfig-%1-page1.png").arg(language)));
        QVERIFY(click("btnForwardChannelConfig"));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::CHANNEL_CONFIG_PAGE_2));
        QTRY_VERIFY(formatChooser()->width() > 50);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("plotconfig-%1-page2.png").arg(language)));
        QVERIFY(click("btnBackwardChannelConfig"));
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::CHANNEL_CONFIG_PAGE));
    }

private slots:
    void initTestCase()
    {
        session.reset(new ScreenSession());
        QVERIFY(session->startAs() && click("tbtnHomeDisplay"));
        QVERIFY(session->waitUntil([this] { return session->find<QPushButton>("btnDataStartStop")->isEnabled(); }));
        QVERIFY(click("btnDataStartStop"));
        QTRY_COMPARE_WITH_TIMEOUT(chart()->graphCount(), 4, 10000);
    }

    void cleanupTestCase() { session.reset(); }

    void graphTable()
    {
        // CH04 hidden, CH01 in a colour the list does not hold.
        QMap<int, GraphDescriptor> start = chart()->getGraphDescriptors();
        start[2].setVisible(false);
        start[0].setColor(QColor(QStringLiteral("#123456")));
        chart()->setGraphDescriptors(start);
        openSettings();

        QVERIFY(table()->rowCount() == 3 && table()->item(2, 0)->text() == QStringLiteral("CH05"));
        // The same unit twice, the hidden graph's none.
        QCOMPARE(itemsOf(combo("cbxDimensionLeft")), QStringList({"°C", "°C", "hPa"}));
        QCOMPARE(combo("cbxDimensionRight")->count(), 0);

        const QList<QColor> colours = chart()->getGraphColors();
        QComboBox* own = chooser(0, 4);
        QVERIFY(chooser(1, 4)->currentIndex() == 1 && qobject_cast<ColorDelegate*>(own->itemDelegate()));
        grabPages(QStringLiteral("de"));
        QCOMPARE(own->grab().toImage().pixelColor(10, own->height() / 2), QColor(QStringLiteral("#123456")));

        // An axis moves its unit at once; a colour choice recolours the chooser.
        chooser(2, 3)->setCurrentIndex(1);
        QCOMPARE(itemsOf(combo("cbxDimensionLeft")), QStringList({"°C", "°C"}));
        QCOMPARE(itemsOf(combo("cbxDimensionRight")), QStringList({"hPa"}));
        chooser(1, 4)->setCurrentIndex(3);
        QVERIFY(chooser(1, 4)->styleSheet().contains(colours.at(3).name()));

        // Saving applies everything; the hidden graph comes back as it was.
        QVERIFY(click("btnSaveChannelConfig"));
        QCOMPARE(chart()->getGraphDescriptor(1).getColor(), colours.at(3));
        QCOMPARE(chart()->getGraphDescriptor(0).getColor(), QColor(QStringLiteral("#123456")));
        QVERIFY(!chart()->getGraphDescriptor(2).isVisible());
        QCOMPARE(chart()->yAxis2->label(), QStringLiteral("hPa"));
    }

    void channelSelectionAndBack()
    {
        openSettings();
        clickSection(1);
        QVERIFY(session->window->findChildren<ChannelSelection*>().isEmpty());
        clickSection(0);
        QList<ChannelSelection*> dialogs = session->window->findChildren<ChannelSelection*>();
        QCOMPARE(dialogs.size(), 1);
        QPointer<ChannelSelection> dialog(dialogs.first());
        // The hidden graph is still in the working copy: the dialog offers it.
        auto* rows = dialog->findChild<QTableWidget*>(QStringLiteral("tblChannelSelectionTable"));
        QCOMPARE(rows->rowCount(), 4);
        auto* check = qobject_cast<ZCheckButton*>(rows->cellWidget(2, 1));
        QCOMPARE(check->getButtonCheckState(), ZCheckButton::Unchecked);
        QTest::mouseClick(check, Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());
        QCOMPARE(table()->item(2, 0)->text(), QStringLiteral("CH04"));
        QCOMPARE(itemsOf(combo("cbxDimensionLeft")), QStringList({"°C", "°C", "%rF"}));

        // Back drops the table and every change.
        chooser(0, 3)->setCurrentIndex(1);
        QVERIFY(click("tbtnDataBack") && !table()->item(0, 0) && !chart()->getGraphDescriptor(2).isVisible());
        QCOMPARE(chart()->getGraphDescriptor(0).getAxis(), 0);
    }

    void dateTimeFormatAndStart()
    {
        // A format the list does not hold: nothing chosen, and saving keeps it.
        ticker(chart())->setDateTimeFormat(QStringLiteral("HH:mm:ss ddd"));
        openSettings(true);
        QCOMPARE(itemsOf(formatChooser()), chart()->getDateTimeFormats());
        QCOMPARE(formatChooser()->currentIndex(), -1);
        QVERIFY(click("btnSaveChannelConfig_2"));
        QCOMPARE(ticker(chart())->dateTimeFormat(), QStringLiteral("HH:mm:ss ddd"));

        openSettings(true);
        formatChooser()->setCurrentIndex(1);
        QVERIFY(click("btnSaveChannelConfig_2"));
        QCOMPARE(chart()->getDateTimeFormatIndex(), 1);

        // A measurement start leaves the pages.
        openSettings(true);
        Measure running = chart()->getShownMeasure();
        emit chart()->getUtil()->updateMeasureState(GlobalEnums::START, running);
        QCOMPARE(screen()->getCurrentPage(), int(DataMain::MEASURE_PAGE));
    }

    void englishPages()
    {
        QVERIFY(session->relogin(QStringLiteral("admin"), QStringLiteral("admin"), QStringLiteral("English")));
        QVERIFY(click("tbtnHomeDisplay"));
        QTRY_COMPARE_WITH_TIMEOUT(chart()->graphCount(), 4, 10000);
        openSettings();
        QVERIFY(table()->horizontalHeaderItem(4)->text() == "Colour" && chooser(0, 3)->currentText() == "Left axis");
    }

    void colorDelegatePixels()
    {
        QStandardItemModel model(1, 1);
        const QColor colour(QStringLiteral("#204080"));
        model.setData(model.index(0, 0), colour, Qt::UserRole);
        ColorDelegate delegate;
        QStyleOptionViewItem option;
        option.rect = QRect(10, 10, 40, 30);
        auto paint = [&](const QModelIndex& index, QStyle::State state) {
            QImage image(60, 50, QImage::Format_ARGB32);
            image.fill(Qt::white);
            option.state = state;
            QPainter painter(&image);
            delegate.paint(&painter, option, index);
            painter.end();
            return image;
        };
        for (const bool hover : {false, true}) {
            const QImage image = paint(model.index(0, 0), hover ? QStyle::State_MouseOver : QStyle::State_None);
            QCOMPARE(image.pixelColor(30, 25), colour);
            // Under the mouse all four edges take the inverted colour; the frame stays thin.
            for (const QPoint& at : {QPoint(49, 25), QPoint(30, 39)})
                QCOMPARE(image.pixelColor(at), hover ? QColor(QStringLiteral("#dfbf7f")) : colour);
            QCOMPARE(image.pixelColor(13, 25), colour);
        }
        // No index, no colour: the field paints black.
        QCOMPARE(paint(QModelIndex(), QStyle::State_None).pixelColor(30, 25), QColor(Qt::black));
    }
};

QTEST_MAIN(TestPlotConfig)
#include "tst_plotconfig.moc"
