// The line chart's worker with a real chart: chart data blocks into points,
// bad input skipped and logged once per kind, blocks of measurements not
// accepted yet, the feed thread under load and while the worker goes, the
// measurement state and the point limit setting.
#include "../common/LogCapture.h"
#include "../common/QueuedSignalSpy.h"
#include "ConfigMirrorFixture.h"

#include "common/AnnotatedLocks.h"
#include "util/CustomPlotLineUtil.h"
#include "util/SettingsUtil.h"
#include "view/CustomPlotLine.h"
#include "widgets/LockedGraph.h"

#include <QDateTime>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <limits>
#include <memory>
#include <thread>

namespace {

// "seconds:value" of each point.
QString describe(const ChartPoints& points)
{
    QStringList texts;
    for (const QCPGraphData& point : points)
        texts << QStringLiteral("%1:%2").arg(point.key).arg(point.value);
    return texts.join(QLatin1Char(' '));
}

Measure measureOf(int id, const QStringList& channels, qint64 start = 1000)
{
    Measure measure(QStringLiteral("M"), id, start, 0);
    for (const QString& channel : channels)
        measure.addChannel(CharacteristicLine(QStringLiteral("M"), channel, QString(), QString(), id, 1, -1));
    return measure;
}

} // namespace

class TestCustomPlotLineUtil : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;
    std::unique_ptr<QPushButton> button;
    std::unique_ptr<CustomPlotLine> chart;
    std::unique_ptr<CustomPlotLineUtil> util;

    // One graph per channel, and measurement id accepted in mode.
    void show(int id, const QStringList& channels, int mode = 0)
    {
        Measure measure = measureOf(id, channels);
        QList<int> indexes;
        for (CharacteristicLine line : measure.getChannels()) {
            int index = -1;
            chart->addCharacteristic(line, index);
            indexes << index;
        }
        AnnotatedWriteLocker structure(&chart->structureLock());
        for (int i = 0; i < channels.size(); ++i)
            util->registerChannel(channels.at(i), indexes.at(i));
        util->setMode(mode);
        util->setMeasure(measure);
    }

    void accept(const Measure& measure)
    {
        AnnotatedWriteLocker structure(&chart->structureLock());
        util->setMeasure(measure);
    }

    QString points(int graph) { return describe(chart->lockedGraph(graph)->points()); }

private slots:
    void initTestCase() { fixture.reset(new ConfigMirrorFixture()); }

    void init()
    {
        fixture->reset();
        button.reset(new QPushButton());
        chart.reset(new CustomPlotLine(nullptr, button.get()));
        util.reset(new CustomPlotLineUtil(chart.get()));
    }

    void cleanup()
    {
        util.reset();
        chart.reset();
    }

    void valuesBecomePoints()
    {
        show(7, {QStringLiteral("A"), QStringLiteral("B")});
        QSignalSpy drawn(util.get(), &CustomPlotLineUtil::updateMeasureData);
        Json::Value array = parseQuoted(
            "[{'ID':7,'SRC':1,'ATR':0,'FILE':'M','DU':[1000,2000,3000,4000,5000,6000,7000,8000,9000,10000],"
            "  'B':['12.5','','-','abc',7,null,{},'nan','inf',0]},"
            " {'ID':7,'SRC':1,'ATR':0,'DU':[11000,12000],'A':[1,2,3]},"
            " {'ID':7,'SRC':1,'ATR':0,'DU':[13000,14000,15000],'A':[' 4 ']},"
            " {'ID':7,'SRC':1,'ATR':0,'DU':[17000,16000,16000],'A':[5,6,7],'C':[9,9,9]}]");
        array[0]["B"][9] = std::numeric_limits<double>::infinity();   // as 1e400 arrives
        LogCapture log;
        util->setChartData(array);

        QCOMPARE(drawn.count(), 1);
        QCOMPARE(points(1), QStringLiteral("1:12.5 5:7"));
        // Values beyond the times are dropped, later values of one time win, C is no channel here.
        QCOMPARE(points(0), QStringLiteral("11:1 12:2 13:4 16:7 17:5"));
        QCOMPARE(log.matching(QStringLiteral("is no finite number; skipped")).size(), 2);   // once per kind

        util->setChartData(parseQuoted("{'ID':7}"));   // nothing to draw, nothing announced
        QCOMPARE(drawn.count(), 1);
    }

    void badBlocksAreSkipped()
    {
        show(7, {QStringLiteral("A")});
        LogCapture log;
        util->setChartData(parseQuoted(
            "[5, 'x', {'ID':'7','SRC':1,'ATR':0,'DU':[1000],'A':[1]}, {'ID':7,'SRC':1.5,'ATR':0,'DU':[1000],'A':[1]},"
            " {'ID':7,'SRC':1,'ATR':0,'DU':'1000','A':[1]}, {'ID':7,'SRC':1,'ATR':0,'A':[1]},"
            " {'ID':7,'SRC':1,'ATR':0,'DU':['1000',2000,null,3000,true],'A':[1,2,3,4,5]},"
            " {'ID':7,'SRC':1,'ATR':0,'DU':[5000],'A':{'0':1}}, {'ID':7,'SRC':1,'ATR':0,'DU':[6000],'A':'9'},"
            " {'ID':7,'SRC':1,'ATR':0,'DU':[7000,1e18,8000,-90000000,9000],'A':[1.7e308,5,'-1e300',7,8]}]"));

        // A value no axis can show and times far outside the measurement are left out.
        QCOMPARE(points(0), QStringLiteral("2:2 3:4 9:8"));
        QCOMPARE(log.matching(QStringLiteral("ID, SRC or ATR")).size(), 1);
        QCOMPARE(log.matching(QStringLiteral("beyond what the chart can show")).size(), 1);
        QCOMPARE(log.matching(QStringLiteral("far outside the measurement")).size(), 1);

        // A device clock ahead of this one: times are taken up to a day past the newest one taken.
        // Hours after the start: 30 is more than a day past 1, but not past 20.
        const qint64 hour = 3600000;
        const qint64 start = QDateTime::currentMSecsSinceEpoch() + 240 * hour;
        chart->lockedGraph(0)->clearPoints();
        accept(measureOf(7, {QStringLiteral("A")}, start));
        for (int hours : {1, 30, 20, 30}) {
            Json::Value array = parseQuoted("[{'ID':7,'SRC':1,'ATR':0}]");
            array[0]["DU"].append(Json::Int64(start + hours * hour));
            array[0]["A"].append(hours);
            util->setChartData(array);
        }
        QVector<double> values;
        for (const QCPGraphData& point : chart->lockedGraph(0)->points())
            values << point.value;
        QCOMPARE(values, (QVector<double>{1, 20, 30}));
    }

    void otherMeasurements()
    {
        show(7, {QStringLiteral("A")});
        // The feed thread emits too: the spy takes the signal queued.
        QueuedSignalSpy attributes(util.get(), &CustomPlotLineUtil::checkPlotData);
        // Stored data of 8 goes; live data of 9 waits for its start telegram.
        util->setChartData(parseQuoted("[{'ID':8,'SRC':2,'ATR':0,'DU':[1000],'A':[1]},"
                                " {'ID':9,'SRC':1,'ATR':0,'DU':[2000],'A':[2]}]"));
        QCOMPARE(points(0), QString());
        QCoreApplication::processEvents();
        QCOMPARE(attributes.count(), 0);

        accept(measureOf(9, {QStringLiteral("A")}));
        QTRY_COMPARE(points(0), QStringLiteral("2:2"));
        QTRY_COMPARE(attributes.count(), 1);

        // A stored measurement on show: live blocks are not drawn, their attribute still counts, once.
        {
            AnnotatedWriteLocker structure(&chart->structureLock());
            util->setMode(1);
        }
        attributes.clear();
        util->setChartData(parseQuoted("[{'ID':9,'SRC':1,'ATR':11,'DU':[3000],'A':[3]},"
                                " {'ID':9,'SRC':1,'ATR':11,'DU':[3500],'A':[3]}]"));
        QCOMPARE(points(0), QStringLiteral("2:2"));
        QCoreApplication::processEvents();
        QCOMPARE(attributes.count(), 1);
    }

    // Below the least limit of 1000 points the default holds.
    void maxPointsSetting()
    {
        for (int limit : {999, 1000}) {
            SettingsUtil::setValue(QStringLiteral("Config/LineChart/Data/Max"), limit);
            QCOMPARE(CustomPlotLineUtil(nullptr).getMaxPoints(), limit < 1000 ? 500000 : limit);
        }
        SettingsUtil::setValue(QStringLiteral("Config/LineChart/Data/Max"), 500000);
    }

    void feedUnderLoad()
    {
        show(7, {QStringLiteral("A")});
        const int arrays = 1000;
        std::thread sender([this] {
            for (int i = 0; i < arrays; ++i) {
                Json::Value array = parseQuoted("[{'ID':7,'SRC':1,'ATR':0}]");
                array[0]["DU"].append(1000 * (i + 1));
                array[0]["A"].append(i);
                util->addChartData(array);
            }
        });
        sender.join();
        QTRY_COMPARE_WITH_TIMEOUT(chart->lockedGraph(0)->pointCount(), arrays, 30000);
        const ChartPoints drawn = chart->lockedGraph(0)->points();
        for (int i = 0; i < arrays; ++i)
            QCOMPARE(drawn.at(i).value, double(i));
    }

    void workerGoesWhileFeeding()
    {
        // The worker made last is the one the device link feeds.
        show(7, {QStringLiteral("A"), QStringLiteral("B")});
        Json::Value big(Json::arrayValue);
        for (int b = 0; b < 10; ++b) {
            Json::Value block = parseQuoted("{'ID':7,'SRC':1,'ATR':0}");
            for (int i = 0; i < 50000; ++i) {
                block["DU"].append(Json::Int64(1000) * (b * 50000 + i + 1));
                block["A"].append(i);
                block["B"].append(-i);
            }
            big.append(block);
        }
        util->addChartData(big);
        QTRY_COMPARE(util->pendingCount(), 0);

        std::atomic<bool> receiving{true};
        std::atomic<int> sent{0};
        std::thread receiver([this, &receiving, &sent] {
            const Json::Value telegram =
                parseQuoted("{'INST':{'SET':{'MEM':[{'ID':7,'SRC':1,'ATR':0,'DU':[1],'A':[1]}]}}}");
            while (receiving) {
                Json::Value copy = telegram;
                fixture->json()->handleReceiveJSON(copy);
                ++sent;
            }
        });
        const auto feedsOn = [&sent] {
            const int from = sent;
            return QTest::qWaitFor([&] { return sent >= from + 20; }, 10000);
        };
        QVERIFY(feedsOn());
        util.reset();   // returns once the feed has stopped; ASan reports any later use
        const int kept = chart->lockedGraph(0)->pointCount();
        const bool fedAfterwards = feedsOn();
        receiving = false;
        receiver.join();
        QVERIFY(fedAfterwards);
        QCOMPARE(chart->lockedGraph(0)->pointCount(), kept);
    }

    void measurementState()
    {
        show(3, {QStringLiteral("A")}, 1);
        GlobalEnums::ChartMeasureState state = GlobalEnums::STOP;
        Measure announced;
        int announcements = 0;
        connect(util.get(), &CustomPlotLineUtil::updateMeasureState, this,
                [&](GlobalEnums::ChartMeasureState s, Measure& m) {
                    state = s;
                    announced = m;
                    ++announcements;
                });
        const auto measurement = [this](QString text) {
            fixture->reset();
            fixture->fill(QStringLiteral("$.SERV"), text.replace('\'', '"'));
        };

        measurement("{'STAT':{'MEAS':{'VAL':'START','ID':9,'STAT':5000,'STOT':0,'FILE':{'VAL':'Messung_0009'},"
                    "'ADR':['A',5,'A','B'],'DIM':['°C'],'KB':'x'}}}");
        util->getMeasureState();
        QCOMPARE(state, GlobalEnums::START);
        QCOMPARE(announced.getChannels().size(), 2);   // a number and a repeated address are left out

        // The stored measurement on show keeps its channels.
        util->setChartData(parseQuoted("[{'ID':3,'SRC':2,'ATR':0,'DU':[1000],'A':[1]}]"));
        QCOMPARE(points(0), QStringLiteral("1:1"));

        // Live, a new start accepts nothing until the chart has the new graphs: its blocks wait.
        {
            AnnotatedWriteLocker structure(&chart->structureLock());
            util->setMode(0);
            util->setMeasure(announced);
        }
        measurement("{'STAT':{'MEAS':{'VAL':'START','ID':9,'STAT':6000,'STOT':0,'ADR':{'A':1}}}}");
        util->getMeasureState();
        QCOMPARE(announced.getChannels().size(), 0);
        util->setChartData(parseQuoted("[{'ID':9,'SRC':1,'ATR':0,'DU':[2000],'A':[2]}]"));
        QCOMPARE(points(0), QStringLiteral("1:1"));

        measurement("{'STAT':{'MEAS':{'VAL':'STOP','ID':null,'STAT':6000,'STOT':7000}}}");
        util->getMeasureState();
        QCOMPARE(state, GlobalEnums::STOP);
        measurement("{'STAT':{'MEAS':{'VAL':'PAUSE','ID':9}}}");
        util->getMeasureState();
        QCOMPARE(announcements, 3);   // an unknown state announces nothing

        // A measurement node that another screen's read left in part (its file name only) is read whole, once.
        fixture->reset();
        fixture->merge(QStringLiteral("$.SERV.STAT.MEAS"), QStringLiteral("{\"FILE\": {\"VAL\": \"M1\"}}"));
        fixture->acceptRead(QStringLiteral("$.SERV.STAT.MEAS.FILE"));
        util->getMeasureState();
        util->getMeasureState();
        QCOMPARE(fixture->takeQueuedReads().count(QStringLiteral("$.SERV.STAT.MEAS")), 1);
    }
};

QTEST_MAIN(TestCustomPlotLineUtil)
#include "tst_customplotlineutil.moc"
