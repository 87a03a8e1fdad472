// The measurement screen under load: 64 channels with live values every
// 50 ms while the user switches tabs and channels, opens the function dialog,
// logs out and in, and finally closes the program while the list is built.
// Run under the sanitizers, it shows the threads meet cleanly.
#include "ScreenSession.h"

#include "view/ChannelFunctionDialog.h"
#include "view/ChannelList.h"
#include "view/MeasureDisplay.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZMeasureDisplayWidget.h"
#include "widgets/ZScaleLabel.h"

#include <QTabWidget>
#include <QtTest>

namespace {

const int CHANNELS = 64;

} // namespace

class TestMeasureStress : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenSession> session;

    QTabWidget* tabs() { return session->find<QTabWidget>(QStringLiteral("tabwgtDisplay")); }
    ZComboBox* channelCombo() { return session->find<ZComboBox>(QStringLiteral("cmbMeasureDisplayTop")); }
    int listedRows() { return session->dataMain()->getChannelList()->shownTable().getRows().size(); }

    void enterMeasurement()
    {
        QVERIFY(session->click(QStringLiteral("tbtnHomeDisplay")));
        tabs()->setCurrentIndex(0);
        QTRY_COMPARE_WITH_TIMEOUT(listedRows(), CHANNELS, 20000);
    }

private slots:
    void busyUserOnABusyDevice()
    {
        session.reset(new ScreenSession({QStringLiteral("--channels"), QString::number(CHANNELS),
                                         QStringLiteral("--live-interval"), QStringLiteral("50")}));
        QVERIFY(session->startAs());
        enterMeasurement();

        for (int round = 0; round < 24; ++round) {
            tabs()->setCurrentIndex(round % 4);
            if (round % 4 == 1 && channelCombo()->count() > 0)
                channelCombo()->setCurrentIndex((round * 7) % channelCombo()->count());
            if (round % 8 == 5) {
                MeasureDisplay* display = session->dataMain()->getMeasureDisplay();
                display->setFunctionDialog();
                QTest::qWait(100);
                if (ChannelFunctionDialog* dialog = display->getFunctionDialog())
                    dialog->close();
            }
            if (round == 12) {
                // A new session in the middle of it all.
                QVERIFY(session->relogin());
                enterMeasurement();
            }
            QTest::qWait(60);
        }

        // The screens still follow the device.
        tabs()->setCurrentIndex(0);
        QTRY_COMPARE_WITH_TIMEOUT(listedRows(), CHANNELS, 20000);
        tabs()->setCurrentIndex(1);
        QTRY_VERIFY(!session->find<ZMeasureDisplayWidget>(QStringLiteral("wgtMeasureDisplayMainValue"))
                         ->measureValue()
                         .isEmpty());

        // Closing while the list is being built.
        tabs()->setCurrentIndex(0);
        session.reset();
    }
};

QTEST_MAIN(TestMeasureStress)
#include "tst_measurestress.moc"
