// The line chart end to end on the simulator: start/stop and its right, live
// graphs, blocks in the start telegram, the limit cut, stored recordings paged
// window by window, and the chart settings' channel selection.
#include "../common/LogCapture.h"
#include "../util/TestJson.h"
#include "Screenshot.h"
#include "ScreenSession.h"
#include "view/ChannelSelection.h"
#include "view/CustomPlotLine.h"
#include "view/PlotlineLegend.h"
#include "view/StatusBar.h"
#include "widgets/LockedGraph.h"
#include "widgets/ZCheckButton.h"

#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {

const QString START_STOP = QStringLiteral("$.SERV.FCT.STST.VAL");
const QString STATE = QStringLiteral("$.SERV.STAT.MEAS.VAL");

} // namespace

class TestLineChart : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScreenSession> session;

    CustomPlotLine* chart() { return session->dataMain()->getChart(); }
    QPushButton* startStop() { return session->find<QPushButton>(QStringLiteral("btnDataStartStop")); }
    QVector<Json::Value> windows() { return session->sentElements(QStringLiteral("measure"), "GET"); }
    bool measuring() { return session->deviceValue(STATE) == "START"; }

    void clickStartStop()
    {
        QTRY_VERIFY(startStop()->isEnabled());
        QTest::mouseClick(startStop(), Qt::LeftButton);
    }

    // The device starts or stops as another client.
    void startStopElsewhere(bool running)
    {
        const QString token = session->simulator.login(QStringLiteral("service"), QStringLiteral("service"));
        QCOMPARE(session->simulator.post(QStringLiteral("config"), token, SimulatorProcess::setTelegram(START_STOP, 1)), 200);
        QTRY_COMPARE_WITH_TIMEOUT(measuring(), running, 5000);
    }

    // Recording 12 of $.MEM.MTAB as the stored-measurement list hands it to the chart
    // (the list is asked for while the mirror lacks it); without channels until then.
    Measure recordingTwelve()
    {
        Json::Value list;
        session->json()->getMasterJSONbyPath(QStringLiteral("$.MEM.MTAB"), list, true);
        Measure measure;
        for (const Json::Value& entry : list) {
            if (entry["ID"] != 12)
                continue;
            measure = Measure(QString::fromStdString(entry["FILE"].asString()), 12, entry["STAT"].asInt64(),
                              entry["STOT"].asInt64(), entry["SIZE"]["VAL"].asDouble(), QStringLiteral("MB"));
            for (Json::ArrayIndex i = 0; i < entry["ADR"].size(); ++i)
                measure.addChannel(CharacteristicLine(measure.getName(), QString::fromStdString(entry["ADR"][i].asString()),
                                                      QString::fromStdString(entry["DIM"].get(i, "").asString()),
                                                      QString::fromStdString(entry["KB"].get(i, "").asString()), 12, 2, -1));
        }
        return measure;
    }

    void wheel(int delta)
    {
        const QPoint at = chart()->axisRect()->rect().center();
        QWheelEvent event(QPointF(at), chart()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart(), &event);
    }

private slots:
    void initTestCase()
    {
        session.reset(new ScreenSession({"--live-interval", "100", "--sample-interval", "50"}));
        // Small graphs: a stored window must stay filled however far the user pages.
        SettingsUtil::setValue(QStringLiteral("Config/LineChart/Data/Max"), QStringLiteral("3000"));
        QVERIFY(session->startAs() && session->openFromHome(QStringLiteral("tbtnHomeDisplay")));
    }

    void liveMeasurement()
    {
        QVERIFY(chart()->graphCount() == 0 && grabScreenshot(session->window, QStringLiteral("linechart-empty.png")));
        session->simulator.clearRequestLog();
        clickStartStop();
        QTRY_COMPARE(session->configSets().size(), 1);
        QVERIFY(session->configSets().first() == std::make_pair(START_STOP, Json::Value(1)));

        // One graph per recorded channel, filled live.
        QTRY_COMPARE_WITH_TIMEOUT(chart()->graphCount(), 4, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(chart()->lockedGraph(0)->pointCount() > 20, 10000);

        // CH01 reads 1.7e308 now and 20 at 1e18 ms: both samples are skipped, the device's other
        // points keep the chart's shape.
        const double now = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        Json::Value block = parseQuoted("{'SRC':1,'ATR':0,'DU':[0,1000000000000000000],'CH01':[1.7e308,20]}");
        block["ID"] = session->mirrorValue(QStringLiteral("$.SERV.STAT.MEAS.ID"));
        block["DU"][0] = Json::Int64(QDateTime::currentMSecsSinceEpoch());
        Json::Value absurd;
        absurd["INST"]["SET"]["MEM"].append(block);
        LogCapture log;
        QVERIFY(session->inject(absurd, false));
        const QString valueSkipped =
            QStringLiteral("value 1.7e+308 of channel CH01 is beyond what the chart can show; skipped");
        const QString timeSkipped = QStringLiteral("time 1000000000000000000 ms of block 0 lies far outside the measurement");
        QTRY_VERIFY_WITH_TIMEOUT(!log.matching(valueSkipped).isEmpty(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!log.matching(timeSkipped).isEmpty(), 5000);
        // The block went through the feed: once the time axis reaches past the newest point fed by
        // now, the axes were set after the block.
        const auto newestKey = [&] {
            double newest = 0.0;
            for (int index = 0; index < chart()->graphCount(); ++index) {
                double key = 0.0;
                if (chart()->lockedGraph(index)->lastKey(key))
                    newest = std::max(newest, key);
            }
            return newest;
        };
        const double fed = newestKey();
        QTRY_VERIFY_WITH_TIMEOUT(chart()->xAxis->range().upper > fed, 5000);
        QVERIFY2(chart()->xAxis->range().upper < now + 3600 && chart()->yAxis->range().size() < 1e6,
                 qPrintable(QStringLiteral("time %1 to %2, values %3 to %4")
                                .arg(chart()->xAxis->range().lower, 0, 'f', 0).arg(chart()->xAxis->range().upper, 0, 'f', 0)
                                .arg(chart()->yAxis->range().lower).arg(chart()->yAxis->range().upper)));

        session->dataMain()->toggleShortCutMenu();
        QVERIFY(session->click(QStringLiteral("btnPlotlineShortCutLegendOnOff")));
        QTRY_VERIFY(chart()->getLegend()->isVisible());
        chart()->replot();   // the legend in the picture without waiting for the queued redraw
        QVERIFY(grabScreenshot(session->window, QStringLiteral("linechart-live.png")));
        session->dataMain()->toggleShortCutMenu();

        clickStartStop();
        QTRY_VERIFY_WITH_TIMEOUT(!measuring(), 5000);
    }

    void blocksInTheStartTelegramAreDrawn()
    {
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        Json::Value state = parseQuoted("{'STOT':0,'ID':4711}");
        Json::Value block = parseQuoted("{'FILE':'Messung_4711','ID':4711,'SRC':1,'ATR':0,'CH01':[42.5]}");
        state["STAT"] = Json::Int64(start);
        block["DU"].append(Json::Int64(start));
        // The tree's channels, so that later measurements record them again.
        for (const char* name : {"ADR", "DIM", "KB"})
            state[name] = session->deviceValue(QStringLiteral("$.SERV.STAT.MEAS.") + QLatin1String(name));
        Json::Value telegram = SimulatorProcess::setTelegram(QStringLiteral("$.SERV.STAT.MEAS"), state);
        telegram["INST"]["SET"]["VAL"].append(SimulatorProcess::setTelegram(STATE, "START")["INST"]["SET"]["VAL"][0]);
        telegram["INST"]["SET"]["MEM"].append(block);
        // Only the client sees this measurement; the simulator's own state stays.
        QVERIFY(session->inject(telegram, false));
        QTRY_COMPARE_WITH_TIMEOUT(chart()->graphCount(), 4, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(chart()->lockedGraph(0)->pointCount(), 1, 5000);
        QCOMPARE(chart()->lockedGraph(0)->points().first().value, 42.5);
        QVERIFY(session->injectSet(STATE, "STOP", false));
        QTRY_VERIFY_WITH_TIMEOUT(session->mirrorValue(STATE) == "STOP", 5000);
    }

    void limitCutsEveryGraph()
    {
        clickStartStop();
        QTRY_VERIFY_WITH_TIMEOUT(chart()->graphCount() == 4 && chart()->lockedGraph(0)->pointCount() > 30, 10000);
        QVERIFY(session->injectSet(QStringLiteral("$.SERV.LIM.RMAX"), 1));
        QTRY_VERIFY_WITH_TIMEOUT(session->window->statusBarObject()->text().contains(QStringLiteral("Limit Telegramm")), 5000);
        const Json::Value limit = session->mirrorValue(QStringLiteral("$.SERV.STAT.MEAS.LIMT"));
        QVERIFY(limit.isInt64());
        for (int index = 0; index < 4; ++index)
            QTRY_VERIFY(chart()->lockedGraph(index)->points().first().key >= limit.asInt64() / 1000.0 - 1e-6);
        QVERIFY(session->injectSet(QStringLiteral("$.SERV.LIM.RMAX"), 3600));
        clickStartStop();
        QTRY_VERIFY_WITH_TIMEOUT(!measuring(), 5000);
    }

    void storedRecordingIsPaged()
    {
        Measure stored;
        QTRY_VERIFY_WITH_TIMEOUT(!(stored = recordingTwelve()).getChannels().isEmpty(), 5000);
        session->simulator.clearRequestLog();
        chart()->loadHistMeasure(stored);

        // One window over the recording plus 1 % on either side.
        QTRY_COMPARE_WITH_TIMEOUT(windows().size(), 1, 5000);
        const Json::Value first = windows().first()["VAL"];
        const double span = (stored.getStop() - stored.getStart()) / 1000.0;
        QVERIFY(first["ID"] == 12 && first["DIRC"] == 0);
        QVERIFY(qAbs(first["LOW"].asInt64() - (stored.getStart() - qint64(span * 10))) <= 1);
        QVERIFY(qAbs(first["UP"].asInt64() - (stored.getStop() + qint64(span * 10))) <= 1 && !startStop()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(chart()->lockedGraph(1)->pointCount() > 1000, 5000);
        QTest::qWait(400);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("linechart-stored.png")));

        // Back in time asks with direction 1, a zoom with 0.
        const QPoint middle = chart()->axisRect()->rect().center();
        QTest::mousePress(chart(), Qt::LeftButton, Qt::NoModifier, middle);
        QMouseEvent move(QEvent::MouseMove, QPointF(middle + QPoint(200, 0)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(chart(), &move);
        QTest::mouseRelease(chart(), Qt::LeftButton, Qt::NoModifier, middle + QPoint(200, 0));
        QTRY_COMPARE(windows().size(), 2);
        wheel(240);
        QTRY_COMPARE(windows().size(), 3);
        QVERIFY(windows().at(1)["VAL"]["DIRC"] == 1 && windows().at(2)["VAL"]["DIRC"] == 0);

        // A live start meanwhile leaves paging working: the narrowed window fills.
        startStopElsewhere(true);
        QTRY_COMPARE(session->mirrorValue(STATE), Json::Value("START"));   // the client saw the live start
        wheel(480);
        QTRY_COMPARE(windows().size(), 4);
        const QCPRange narrowed = chart()->xAxis->range();
        const auto pointsShown = [&] {
            const ChartPoints points = chart()->lockedGraph(1)->points();
            return std::count_if(points.cbegin(), points.cend(), [&](const QCPGraphData& p) { return narrowed.contains(p.key); });
        };
        QTRY_VERIFY_WITH_TIMEOUT(pointsShown() > 1500, 5000);

        // Return ends paging and shows the running measurement again.
        session->dataMain()->toggleShortCutMenu();
        QVERIFY(session->click(QStringLiteral("tbtnPlotlineShortCutActual")));
        QTRY_COMPARE(windows().size(), 5);
        QCOMPARE(windows().last()["VAL"]["ID"].asInt(), -1);
        QTRY_VERIFY_WITH_TIMEOUT(chart()->lockedGraph(0)->pointCount() > 0, 5000);
        session->dataMain()->toggleShortCutMenu();
        startStopElsewhere(false);
    }

    // The selection works on a copy: at the limit of 20 only checked channels
    // may change, and Cancel keeps the screen's graphs.
    void channelSelection()
    {
        QMap<int, GraphDescriptor> graphs;
        for (int i = 24; i >= 0; --i)
            graphs.insert(i, GraphDescriptor(i, QStringLiteral("CH%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                                             QStringLiteral("Temperatur"), QStringLiteral("°C"), Qt::red, i % 2, true));
        DataMain* screen = session->dataMain();
        screen->setPlotGraphs(graphs);
        screen->showChannelDialog(1);
        QVERIFY(session->window->findChildren<ChannelSelection*>().isEmpty());   // not the channel column

        QPointer<ChannelSelection> dialog;
        const auto open = [&] {
            screen->showChannelDialog(0);
            dialog = session->window->findChild<ChannelSelection*>();
            return dialog && dialog->isVisible();
        };
        const auto rows = [&] { return dialog->findChild<QTableWidget*>(QStringLiteral("tblChannelSelectionTable")); };
        const auto check = [&](int row) { return qobject_cast<ZCheckButton*>(rows()->cellWidget(row, 1)); };
        const auto checkedCount = [&] {
            int checked = 0;
            for (int row = 0; row < rows()->rowCount(); ++row)
                checked += check(row)->getButtonCheckState() == ZCheckButton::Checked;
            return checked;
        };
        const auto tapRow = [&](int row) {   // on the channel text
            rows()->scrollToItem(rows()->item(row, 0));
            QTest::mouseClick(rows()->viewport(), Qt::LeftButton, {}, rows()->visualItemRect(rows()->item(row, 0)).center());
        };

        QVERIFY(open());
        QCOMPARE(rows()->item(24, 0)->text(), QStringLiteral("CH25 °C Temperatur"));   // in channel order
        QCOMPARE(checkedCount(), 25);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("channel-selection.png")));
        for (int row = 0; row < 5; ++row)
            tapRow(row);
        QCOMPARE(checkedCount(), 20);
        QVERIFY(!check(0)->isEnabled() && check(5)->isEnabled());
        tapRow(0);   // disabled: nothing
        QCOMPARE(check(0)->getButtonCheckState(), ZCheckButton::Unchecked);
        QTest::mouseClick(check(5), Qt::LeftButton);
        QCOMPARE(checkedCount(), 19);
        QVERIFY(check(0)->isEnabled());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());
        QVERIFY(open());
        QCOMPARE(checkedCount(), 25);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btnCancel")), Qt::LeftButton);
    }

    void werkCannotStartStop()
    {
        QVERIFY(session->relogin(QStringLiteral("werk"), QStringLiteral("werk500")));
        QTRY_VERIFY(!startStop()->text().isEmpty() && startStop()->text() != QStringLiteral("---"));
        QVERIFY(session->pollCycles() && !startStop()->isEnabled());
    }
};

QTEST_MAIN(TestLineChart)
#include "tst_linechart.moc"
