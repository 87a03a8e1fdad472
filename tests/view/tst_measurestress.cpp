// The measurement screen under load, under the sanitizers: 64 channels live every
// 50 ms while the user switches tabs and channels, opens the function dialog, logs
// out and in, and closes the program while the list is built.
#include "ScreenSession.h"

#include "view/ChannelFunctionDialog.h"
#include "view/ChannelList.h"
#include "view/MeasureDisplay.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZMeasureDisplayWidget.h"

#include <QTabWidget>
#include <QtTest>

class TestMeasureStress : public QObject
{
    Q_OBJECT

private slots:
    void busyUserOnABusyDevice()
    {
        const int channels = 64;
        auto session = std::make_unique<ScreenSession>(
            QStringList{"--channels", QString::number(channels), "--live-interval", "50"});
        const auto tabs = [&] { return session->find<QTabWidget>(QStringLiteral("tabwgtDisplay")); };
        const auto listed = [&] { return session->dataMain()->getChannelList()->shownTable().getRows().size(); };
        const auto enterMeasurement = [&] {
            QVERIFY(session->click(QStringLiteral("tbtnHomeDisplay")));
            tabs()->setCurrentIndex(0);
            QTRY_COMPARE_WITH_TIMEOUT(listed(), channels, 20000);
        };
        QVERIFY(session->startAs());
        enterMeasurement();

        for (int round = 0; round < 24; ++round) {
            tabs()->setCurrentIndex(round % 4);
            auto* channel = session->find<ZComboBox>(QStringLiteral("cmbMeasureDisplayTop"));
            if (round % 4 == 1 && channel->count() > 0)
                channel->setCurrentIndex((round * 7) % channel->count());
            if (round % 8 == 5) {
                MeasureDisplay* display = session->dataMain()->getMeasureDisplay();
                display->setFunctionDialog();
                QTest::qWait(100);
                if (ChannelFunctionDialog* dialog = display->getFunctionDialog())
                    dialog->close();
            }
            if (round == 12) {   // a new session in the middle of it all
                QVERIFY(session->relogin());
                enterMeasurement();
            }
            QTest::qWait(60);
        }

        // The screens still follow the device: a name it changes now shows in the list and the
        // display's channel box, and the shown value keeps moving with the live values.
        QVERIFY(session->injectSet(QStringLiteral("$.DATA.MK[0].MV.T"), "Nach der Last"));
        tabs()->setCurrentIndex(0);
        const auto firstRow = [&] {
            const TableStructure shown = session->dataMain()->getChannelList()->shownTable();
            return shown.rowCount() > 0 ? shown.cellAt(0, 0).getValue().toString() : QString();
        };
        QTRY_VERIFY_WITH_TIMEOUT(listed() == channels && firstRow().contains(QStringLiteral("Nach der Last")), 20000);
        tabs()->setCurrentIndex(1);
        auto* channel = session->find<ZComboBox>(QStringLiteral("cmbMeasureDisplayTop"));
        QTRY_VERIFY(channel->count() == channels && channel->itemText(0).contains(QStringLiteral("Nach der Last")));
        auto* value = session->find<ZMeasureDisplayWidget>(QStringLiteral("wgtMeasureDisplayMainValue"));
        QTRY_VERIFY(!value->measureValue().isEmpty());
        const QString before = value->measureValue();
        QTRY_VERIFY(value->measureValue() != before);

        // Closing while the list is being built.
        tabs()->setCurrentIndex(0);
        session.reset();
    }
};

QTEST_MAIN(TestMeasureStress)
#include "tst_measurestress.moc"
