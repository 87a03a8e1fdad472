// The line chart end to end against the simulator: start/stop, live graphs
// (absurd samples left out), blocks in the start telegram itself, rights, the
// limit cut, and stored recordings paged window by window. The simulator's
// request log is the witness.
#include "../common/LogCapture.h"
#include "Screenshot.h"
#include "ScreenSession.h"
#include "util/JSONUtil.h"
#include "view/CustomPlotLine.h"
#include "view/PlotlineLegend.h"
#include "view/StatusBar.h"
#include "widgets/LockedGraph.h"

#include <QPushButton>
#include <QtTest>

namespace {

const char* const START_STOP_BODY =
    "{\"INST\":{\"DEL\":{\"VAL\":[]},\"GET\":{\"VAL\":[]},\"SET\":{\"MSG\":[],\"VAL\":[{\"DEST\":{\"DEV\":1,\"PATH\":"
    "\"$.SERV.FCT.STST.VAL\",\"PROP\":\"\"},\"MODE\":0,\"VAL\":1}]}}}";

// A recording of $.MEM.MTAB as the stored-measurement list hands it to the chart.
Measure recordingOf(const Json::Value& entry)
{
    Measure measure(QString::fromStdString(entry["FILE"].asString()), entry["ID"].asInt(), entry["STAT"].asInt64(),
                    entry["STOT"].asInt64(), entry["SIZE"]["VAL"].asDouble(), QStringLiteral("MB"));
    for (Json::ArrayIndex i = 0; i < entry["ADR"].size(); ++i)
        measure.addChannel(CharacteristicLine(measure.getName(), QString::fromStdString(entry["ADR"][i].asString()),
                                              QString::fromStdString(entry["DIM"].get(i, "").asString()),
                                              QString::fromStdString(entry["KB"].get(i, "").asString()),
                                              measure.getId(), 2, -1));
    return measure;
}

} // namespace

class TestLineChart : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScreenSession> session;
    ChartPoints streamed;   // CH01 of the run measured live, for the paging test

    CustomPlotLine* chart() { return session->dataMain()->getChart(); }
    QPushButton* startStop() { return session->find<QPushButton>(QStringLiteral("btnDataStartStop")); }
    QVector<Json::Value> windows() { return session->sentElements(QStringLiteral("measure"), "GET"); }

    void clickStartStop()
    {
        QVERIFY(QTest::qWaitFor([this] { return startStop()->isEnabled(); }, 5000));
        QTest::mouseClick(startStop(), Qt::LeftButton);
    }

    bool measuring()
    {
        const Json::Value values = session->simulator.treeValues(QStringLiteral("$.SERV.STAT.MEAS.VAL"));
        return values.isArray() && values.size() == 1 && values[0] == "START";
    }

    std::string clientState()
    {
        Json::Value state;
        session->json()->getMasterJSONbyPath(QStringLiteral("$.SERV.STAT.MEAS.VAL"), state, false);
        return state.isString() ? state.asString() : std::string();
    }

    Json::Value recordings()
    {
        Json::Value list;
        session->json()->getMasterJSONbyPath(QStringLiteral("$.MEM.MTAB"), list, true);
        return list;
    }

    // Drags the chart by dx pixels and lets the answer arrive.
    void drag(int dx)
    {
        const QPoint from = chart()->axisRect()->rect().center();
        QTest::mousePress(chart(), Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(dx, 0)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(chart(), &move);
        QTest::mouseRelease(chart(), Qt::LeftButton, Qt::NoModifier, from + QPoint(dx, 0));
    }

    // Points of the second graph within range.
    int pointsIn(const QCPRange& range)
    {
        int count = 0;
        for (const QCPGraphData& point : chart()->lockedGraph(1)->points())
            count += range.contains(point.key) ? 1 : 0;
        return count;
    }

    // A chart block of the running measurement: CH01 reads 1.7e308 now and 20 at 1e18 ms.
    Json::Value absurdSamples()
    {
        Json::Value id;
        session->json()->getMasterJSONbyPath(QStringLiteral("$.SERV.STAT.MEAS.ID"), id, false);
        Json::Value block(Json::objectValue);
        block["ID"] = id;
        block["SRC"] = 1;
        block["ATR"] = 0;
        block["DU"].append(Json::Int64(QDateTime::currentMSecsSinceEpoch()));
        block["DU"].append(Json::Int64(1000000000000000000));
        block["CH01"].append(1.7e308);
        block["CH01"].append(20.0);
        Json::Value telegram(Json::objectValue);
        telegram["INST"]["SET"]["MEM"].append(block);
        return telegram;
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
        session.reset(new ScreenSession({QStringLiteral("--live-interval"), QStringLiteral("100"),
                                         QStringLiteral("--sample-interval"), QStringLiteral("50")}));
        // Small graphs: a stored window must stay filled however far the user pages.
        SettingsUtil::setValue(QStringLiteral("Config/LineChart/Data/Max"), QStringLiteral("3000"));
        QVERIFY(session->startAs());
        QVERIFY(session->openFromHome(QStringLiteral("tbtnHomeDisplay")));
    }

    void liveMeasurement()
    {
        QCOMPARE(chart()->graphCount(), 0);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("linechart-empty.png")));
        session->simulator.clearRequestLog();
        clickStartStop();
        QTRY_COMPARE(session->requests(QStringLiteral("config")).size(), 1);
        QCOMPARE(QString::fromStdString(session->requests(QStringLiteral("config")).first()["body"].asString()).trimmed(),
                 QLatin1String(START_STOP_BODY));

        // One graph per recorded channel, with unit and legend entry.
        QTRY_COMPARE_WITH_TIMEOUT(chart()->graphCount(), 4, 5000);
        QCOMPARE(chart()->getGraphDimension(3), QStringLiteral("hPa"));
        QCOMPARE(chart()->getLegend()->getLeftItems().size(), 4);
        QTRY_VERIFY_WITH_TIMEOUT(chart()->lockedGraph(0)->pointCount() > 20, 10000);

        // An absurd value and an absurd time among the device's points are left out.
        const double now = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        LogCapture log;
        QVERIFY(session->simulator.injectTelegram(absurdSamples(), false) >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(!log.matching(QStringLiteral("far outside the measurement")).isEmpty(), 5000);
        QCOMPARE(log.matching(QStringLiteral("beyond what the chart can show")).size(), 1);

        session->dataMain()->toggleShortCutMenu();
        QVERIFY(session->click(QStringLiteral("btnPlotlineShortCutLegendOnOff")));
        QTRY_VERIFY(chart()->getLegend()->isVisible());
        QTest::qWait(400);   // the next redraw
        QVERIFY(grabScreenshot(session->window, QStringLiteral("linechart-live.png")));
        for (int index = 0; index < 4; ++index) {
            for (const QCPGraphData& point : chart()->lockedGraph(index)->points())
                QVERIFY(point.key < now + 3600 && qAbs(point.value) < 1e6);
        }
        QVERIFY(chart()->xAxis->range().upper < now + 3600);
        QVERIFY(chart()->yAxis->range().upper < 1e6);

        // Stopped, the graphs keep what they hold.
        clickStartStop();
        QTRY_VERIFY_WITH_TIMEOUT(!measuring(), 5000);
        QTest::qWait(500);
        streamed = chart()->lockedGraph(0)->points();
        session->dataMain()->toggleShortCutMenu();
    }

    void blocksInTheStartTelegramAreDrawn()
    {
        const qint64 start = QDateTime::currentMSecsSinceEpoch();
        Json::Value state;
        Json::Value block;
        QVERIFY(Json::Reader().parse(R"({"STOT":0,"ID":4711})", state));
        QVERIFY(Json::Reader().parse(R"({"FILE":"Messung_4711","ID":4711,"SRC":1,"ATR":0,"CH01":[42.5]})", block));
        state["STAT"] = Json::Int64(start);
        block["DU"].append(Json::Int64(start));
        // The tree's channels, so that later measurements record them again.
        for (const char* name : {"ADR", "DIM", "KB"})
            state[name] = session->simulator.treeValues(QStringLiteral("$.SERV.STAT.MEAS.") + QLatin1String(name))[0];
        Json::Value telegram = SimulatorProcess::setTelegram(QStringLiteral("$.SERV.STAT.MEAS"), state);
        telegram["INST"]["SET"]["VAL"].append(
            SimulatorProcess::setTelegram(QStringLiteral("$.SERV.STAT.MEAS.VAL"), "START")["INST"]["SET"]["VAL"][0]);
        telegram["INST"]["SET"]["MEM"].append(block);
        // Only the client sees this measurement; the simulator's own state stays.
        QVERIFY(session->simulator.injectTelegram(telegram, false) >= 0);
        QTRY_COMPARE_WITH_TIMEOUT(chart()->graphCount(), 4, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(chart()->lockedGraph(0)->pointCount(), 1, 5000);
        QCOMPARE(chart()->lockedGraph(0)->points().first().value, 42.5);
        QVERIFY(session->simulator.injectTelegram(
                    SimulatorProcess::setTelegram(QStringLiteral("$.SERV.STAT.MEAS.VAL"), "STOP"), false) >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(clientState() == "STOP", 5000);
    }

    void limitCutsEveryGraph()
    {
        clickStartStop();
        QTRY_VERIFY_WITH_TIMEOUT(chart()->graphCount() == 4 && chart()->lockedGraph(0)->pointCount() > 30, 10000);
        QVERIFY(session->simulator.injectTelegram(SimulatorProcess::setTelegram(QStringLiteral("$.SERV.LIM.RMAX"), 1)) >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(session->window->statusBarObject()->text().contains(QStringLiteral("Limit Telegramm")), 5000);
        Json::Value limit;
        session->json()->getMasterJSONbyPath(QStringLiteral("$.SERV.STAT.MEAS.LIMT"), limit, false);
        QVERIFY(limit.isInt64());
        for (int index = 0; index < 4; ++index)
            QTRY_VERIFY(chart()->lockedGraph(index)->points().first().key >= limit.asInt64() / 1000.0 - 1e-6);
        QVERIFY(session->simulator.injectTelegram(SimulatorProcess::setTelegram(QStringLiteral("$.SERV.LIM.RMAX"), 3600)) >= 0);
        clickStartStop();
        QTRY_VERIFY_WITH_TIMEOUT(!measuring(), 5000);
    }

    void storedRecordingIsPaged()
    {
        QTRY_VERIFY_WITH_TIMEOUT(recordings().isArray() && recordings().size() > 0, 5000);
        Json::Value twelve;
        for (const Json::Value& entry : recordings())
            if (entry["ID"].asInt() == 12)
                twelve = entry;
        const Measure recording = recordingOf(twelve);
        session->simulator.clearRequestLog();
        chart()->loadHistMeasure(recording);

        // One window over the recording plus 1 % on either side.
        QTRY_COMPARE_WITH_TIMEOUT(windows().size(), 1, 5000);
        const Json::Value first = windows().first()["VAL"];
        const double span = (recording.getStop() - recording.getStart()) / 1000.0;
        QVERIFY(first["ID"] == 12 && first["DIRC"] == 0);
        QVERIFY(qAbs(first["LOW"].asInt64() - (recording.getStart() - qint64(span * 10))) <= 1);
        QVERIFY(qAbs(first["UP"].asInt64() - (recording.getStop() + qint64(span * 10))) <= 1);
        QVERIFY(!startStop()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(chart()->lockedGraph(1)->pointCount() > 1000, 5000);
        QTest::qWait(400);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("linechart-stored.png")));

        // Back in time asks with direction 1, a zoom with 0.
        drag(200);
        QTRY_COMPARE(windows().size(), 2);
        wheel(240);
        QTRY_COMPARE(windows().size(), 3);
        QVERIFY(windows().at(1)["VAL"]["DIRC"] == 1 && windows().at(2)["VAL"]["DIRC"] == 0);

        // A live start meanwhile leaves paging working.
        const QString token = session->simulator.login(QStringLiteral("service"), QStringLiteral("service"));
        QCOMPARE(session->simulator.post(QStringLiteral("config"), token,
                                         SimulatorProcess::setTelegram(QStringLiteral("$.SERV.FCT.STST.VAL"), 1)),
                 200);
        QTRY_VERIFY_WITH_TIMEOUT(measuring(), 5000);
        QTest::qWait(300);
        wheel(480);
        QTRY_COMPARE(windows().size(), 4);
        const QCPRange narrowed = chart()->xAxis->range();
        QTRY_VERIFY_WITH_TIMEOUT(pointsIn(narrowed) > 1500, 5000);

        // Return ends paging and shows the running measurement again.
        session->dataMain()->toggleShortCutMenu();
        QVERIFY(session->click(QStringLiteral("tbtnPlotlineShortCutActual")));
        QTRY_COMPARE(windows().size(), 5);
        QCOMPARE(windows().last()["VAL"]["ID"].asInt(), -1);
        QTRY_VERIFY_WITH_TIMEOUT(chart()->lockedGraph(0)->pointCount() > 0, 5000);
        session->dataMain()->toggleShortCutMenu();
        QCOMPARE(session->simulator.post(QStringLiteral("config"), token,
                                         SimulatorProcess::setTelegram(QStringLiteral("$.SERV.FCT.STST.VAL"), 1)),
                 200);
        QTRY_VERIFY_WITH_TIMEOUT(!measuring(), 5000);
    }

    void ownRecordingPagesBackTheStream()
    {
        QVERIFY(!streamed.isEmpty());
        // The run's own recording, once the list holds it.
        Json::Value own;
        const auto findOwn = [&] {
            for (const Json::Value& entry : recordings())
                if (entry["STAT"].asInt64() <= qint64(streamed.first().key * 1000)
                    && entry["STOT"].asInt64() > qint64(streamed.first().key * 1000))
                    own = entry;
            return own.isObject();
        };
        QTRY_VERIFY_WITH_TIMEOUT(findOwn(), 5000);
        chart()->loadHistMeasure(recordingOf(own));
        QTRY_VERIFY_WITH_TIMEOUT(chart()->lockedGraph(0)->pointCount() >= streamed.size(), 5000);
        const ChartPoints paged = chart()->lockedGraph(0)->points();
        for (const QCPGraphData& point : streamed) {
            auto found = std::lower_bound(paged.begin(), paged.end(), point.key,
                                          [](const QCPGraphData& a, double key) { return a.key < key; });
            QVERIFY(found != paged.end() && found->key == point.key);
            QCOMPARE(found->value, point.value);
        }
    }

    void werkCannotStartStop()
    {
        QVERIFY(session->relogin(QStringLiteral("werk"), QStringLiteral("werk500")));
        QTRY_VERIFY(!startStop()->text().isEmpty() && startStop()->text() != QStringLiteral("---"));
        QTest::qWait(300);
        QVERIFY(!startStop()->isEnabled());
    }
};

QTEST_MAIN(TestLineChart)
#include "tst_linechart.moc"
