// The line chart under load through the device link's receive path: a device
// thread streams chart data into 20 graphs at full rate, starts a new
// measurement every 200 ms and moves the limit every 500 ms, while the GUI
// thread redraws, pans and rescales. Run under the sanitizers, it must end
// without a report, a hang or a graph holding points of another measurement.
#include "../util/ConfigMirrorFixture.h"

#include "util/CustomPlotLineUtil.h"
#include "util/SettingsUtil.h"
#include "view/CustomPlotLine.h"
#include "widgets/LockedGraph.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

const int CHANNELS = 20;
const int STRESS_MS = 3000;
const int MIN_REDRAWS = 5;

Json::Value element(const char* path, const Json::Value& value)
{
    Json::Value item(Json::objectValue);
    item["MODE"] = 0;
    item["DEST"]["PATH"] = path;
    item["VAL"] = value;
    return item;
}

// A new measurement: its state, then its VAL as an element of its own.
Json::Value startTelegram(int id, qint64 startMs)
{
    Json::Value state(Json::objectValue);
    state["ID"] = id;
    state["STAT"] = Json::Int64(startMs);
    state["STOT"] = 0;
    state["FILE"]["VAL"] = "Stress";
    for (int c = 0; c < CHANNELS; ++c) {
        state["ADR"].append("CH" + std::to_string(c));
        state["DIM"].append("V");
        state["KB"].append("Kanal");
    }
    Json::Value telegram;
    telegram["INST"]["SET"]["VAL"].append(element("$.SERV.STAT.MEAS", state));
    telegram["INST"]["SET"]["VAL"].append(element("$.SERV.STAT.MEAS.VAL", "START"));
    return telegram;
}

// 20 samples of every channel, the value telling the measurement apart.
Json::Value dataTelegram(int id, qint64 firstMs)
{
    Json::Value block(Json::objectValue);
    block["ID"] = id;
    block["SRC"] = 1;
    block["ATR"] = 0;
    block["FILE"] = "Stress";
    for (int j = 0; j < 20; ++j)
        block["DU"].append(Json::Int64(firstMs + j));
    for (int c = 0; c < CHANNELS; ++c) {
        Json::Value& values = block["CH" + std::to_string(c)];
        for (int j = 0; j < 20; ++j)
            values.append(id);
    }
    Json::Value telegram;
    telegram["INST"]["SET"]["MEM"].append(block);
    return telegram;
}

} // namespace

class TestChartStress : public QObject
{
    Q_OBJECT

private slots:
    void feedStartsAndLimitsWhileDrawing()
    {
        ConfigMirrorFixture fixture;
        fixture.login();
        // Graphs trim all the time, and a redraw stays affordable under the sanitizers.
        SettingsUtil::setValue(QStringLiteral("Config/LineChart/Data/Max"), QStringLiteral("5000"));
        QPushButton button;
        CustomPlotLine chart(nullptr, &button);
        chart.resize(1000, 500);
        chart.show();
        chart.setDefault();
        std::atomic<bool> running(true);
        std::atomic<int> currentId(1);

        std::thread device([&] {
            QElapsedTimer clock;
            clock.start();
            qint64 nextStart = 0;
            qint64 nextLimit = 500;
            qint64 time = 1700000000000;
            int id = 0;
            while (running) {
                if (clock.elapsed() >= nextStart) {
                    ++id;
                    Json::Value start = startTelegram(id, time);
                    fixture.json()->handleReceiveJSON(start);
                    currentId = id;
                    nextStart += 200;
                }
                if (clock.elapsed() >= nextLimit) {
                    Json::Value limit;
                    limit["INST"]["SET"]["VAL"].append(element("$.SERV.STAT.MEAS.LIMT", Json::Int64(time - 200)));
                    fixture.json()->handleReceiveJSON(limit);
                    nextLimit += 500;
                }
                Json::Value data = dataTelegram(id, time);
                fixture.json()->handleReceiveJSON(data);
                time += 20;
                // About 80,000 values a second, four times an instrument's fastest
                // stream, which the feed keeps up with even under the sanitizers.
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });

        QElapsedTimer clock;
        clock.start();
        int redraws = 0;
        int mostPoints = 0;
        // At least some redraws however slow the machine is.
        while ((clock.elapsed() < STRESS_MS || redraws < MIN_REDRAWS) && clock.elapsed() < 20 * STRESS_MS) {
            if (LockedGraph* graph = chart.lockedGraph(0))
                mostPoints = std::max(mostPoints, graph->pointCount());
            QCoreApplication::processEvents();
            chart.setViewMode(redraws % 3);
            chart.xAxis->moveRange(0.5);
            chart.customReplot();
            chart.replot();
            ++redraws;
        }
        running = false;
        device.join();

        // Once the queue is drained, the graphs hold points of the last measurement only.
        QTRY_VERIFY_WITH_TIMEOUT(chart.getUtil()->pendingCount() == 0, 10000);
        QTest::qWait(300);
        QCOMPARE(chart.graphCount(), CHANNELS);
        for (int c = 0; c < CHANNELS; ++c) {
            for (const QCPGraphData& point : chart.lockedGraph(c)->points())
                QCOMPARE(int(point.value), currentId.load());
        }
        QVERIFY(redraws >= MIN_REDRAWS);
        QVERIFY(mostPoints > 100);
    }
};

QTEST_MAIN(TestChartStress)
#include "tst_chartstress.moc"
