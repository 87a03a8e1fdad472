// The line chart as a widget, points put straight into its graphs: colours,
// legend, descriptors, view modes, rescaling, mouse, side panel; last, under load
// through the device link's receive path. End to end: tst_linechart.
#include "../common/LogCapture.h"
#include "../util/ConfigMirrorFixture.h"
#include "Screenshot.h"
#include "SimulatorProcess.h"
#include "ViewTestHelpers.h"

#include "util/CustomPlotLineUtil.h"
#include "util/SettingsUtil.h"
#include "view/CustomPlotLine.h"
#include "view/PlotlineLegend.h"
#include "view/PlotlineShortCut.h"
#include "widgets/LockedGraph.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

const QString COLOR_KEY = QStringLiteral("Config/LineChart/Graph/Color");

Measure measureOf(int channels, qint64 start = 1709288100000)
{
    Measure measure(QStringLiteral("Messung_0007"), 7, start, 0);
    for (int i = 0; i < channels; ++i) {
        const QString address = QStringLiteral("CH%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        measure.addChannel(CharacteristicLine(measure.getName(), address, i % 2 ? QStringLiteral("%rF") : QStringLiteral("°C"),
                                              QStringLiteral("Kanal ") + address, 7, 1, -1));
    }
    return measure;
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

ChartPoints pointsOf(std::initializer_list<std::pair<double, double>> list)
{
    ChartPoints points;
    for (const auto& point : list)
        points.append(QCPGraphData(point.first, point.second));
    return points;
}

const int CHANNELS = 20;

// A new measurement: its state, then its VAL as an element of its own.
Json::Value startTelegram(int id, qint64 startMs)
{
    Json::Value state = parseQuoted("{'STOT':0,'FILE':{'VAL':'Stress'}}");
    state["ID"] = id;
    state["STAT"] = Json::Int64(startMs);
    for (int c = 0; c < CHANNELS; ++c) {
        state["ADR"].append("CH" + std::to_string(c));
        state["DIM"].append("V");
        state["KB"].append("Kanal");
    }
    Json::Value telegram = SimulatorProcess::setTelegram(QStringLiteral("$.SERV.STAT.MEAS"), state);
    telegram["INST"]["SET"]["VAL"].append(
        SimulatorProcess::setTelegram(QStringLiteral("$.SERV.STAT.MEAS.VAL"), "START")["INST"]["SET"]["VAL"][0]);
    return telegram;
}

// 20 samples of every channel, the value telling the measurement apart.
Json::Value dataTelegram(int id, qint64 firstMs)
{
    Json::Value telegram = parseQuoted("{'INST':{'SET':{'MEM':[{'SRC':1,'ATR':0,'FILE':'Stress'}]}}}");
    Json::Value& block = telegram["INST"]["SET"]["MEM"][0];
    block["ID"] = id;
    for (int j = 0; j < 20; ++j) {
        block["DU"].append(Json::Int64(firstMs + j));
        for (int c = 0; c < CHANNELS; ++c)
            block["CH" + std::to_string(c)].append(id);
    }
    return telegram;
}

} // namespace

class TestCustomPlotLine : public QObject
{
    Q_OBJECT

    QPushButton* button = nullptr;
    CustomPlotLine* chart = nullptr;

    void start(CustomPlotLine* plot, Measure measure)
    {
        emit plot->getUtil()->updateMeasureState(GlobalEnums::START, measure);
    }

private slots:
    void init()
    {
        // An empty setting gives the default colours, whatever a run before left.
        SettingsUtil::setValue(COLOR_KEY, QString());
        button = new QPushButton;
        chart = new CustomPlotLine(nullptr, button);
        chart->resize(1000, 500);
        chart->setDefault();
    }

    void cleanup()
    {
        delete chart;
        delete button;
    }

    void graphsColoursAndLegend()
    {
        start(chart, measureOf(21));
        QCOMPARE(chart->graphCount(), 21);
        const QList<QColor> colours = chart->getGraphColors();
        QCOMPARE(colours.size(), 20);
        // The 21st is hidden, has no legend entry and starts the colours again.
        QVERIFY(!chart->graph(20)->visible());
        QCOMPARE(chart->graph(20)->pen().color(), colours.at(0));
        QCOMPARE(chart->getLegend()->getLeftItems().size(), 20);
        QCOMPARE(chart->getGraphDimension(21), QString());   // no such graph
        // Only the left axis is in use: the right one shows no numbers and cannot be selected.
        QVERIFY(!chart->yAxis2->tickLabels());
        QCOMPARE(chart->yAxis2->selectableParts(), QCPAxis::SelectableParts(QCPAxis::spNone));

        // The same start again prepares nothing anew.
        chart->lockedGraph(0)->insertPoints(pointsOf({{1709288100.0, 1.0}}), 1000);
        start(chart, measureOf(21));
        QCOMPARE(chart->lockedGraph(0)->pointCount(), 1);

        // Colours from the setting repeat; an empty entry takes the default of its place.
        SettingsUtil::setValue(COLOR_KEY, QStringLiteral("#112233,,#445566"));
        CustomPlotLine threeColours(nullptr, button);
        start(&threeColours, measureOf(4));
        QList<QColor> shown;
        for (int index = 0; index < 4; ++index)
            shown << threeColours.graph(index)->pen().color();
        QCOMPARE(shown, QList<QColor>({QColor("#112233"), colours.at(1), QColor("#445566"), QColor("#112233")}));
    }

    void legendLaysOutSides()
    {
        QWidget chart;
        chart.resize(900, 300);
        auto* legend = new PlotlineLegend(&chart, 150, 24, 150, 64);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.resize(1000, 300);
        QCOMPARE(legend->width(), 700);   // follows the chart's width
        const auto flushRight = [legend] {
            return legend->getRightGroup()->x() + legend->getRightGroup()->width() == legend->viewport()->width();
        };

        legend->addItem(QStringLiteral("Druck"), Qt::red, 0);
        legend->addItem(QStringLiteral("Abluft"), Qt::blue, 0);
        legend->addItem(QStringLiteral("Abluft"), Qt::green, 0);   // replaces the colour
        legend->addItem(QStringLiteral("Ignoriert"), Qt::black, 2);
        legend->addItem(QStringLiteral("Feuchte"), Qt::cyan, 1);
        legend->rebuild();
        QCOMPARE(labelsOf(legend->getLeftGroup()), QStringList({"Abluft", "Druck"}));
        QCOMPARE(labelsOf(legend->getRightGroup()), QStringList({"Feuchte"}));
        QCOMPARE(legend->getLeftItems().value(QStringLiteral("Abluft")), QColor(Qt::green));
        QVERIFY(flushRight());

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
        QVERIFY(flushRight());
    }

    // Descriptors move, colour and hide graphs; the view modes and rescaling follow
    // the graphs' points; the time format stays within its list.
    void descriptorsViewModesAndFormats()
    {
        start(chart, measureOf(3));
        QMap<int, GraphDescriptor> descriptors = chart->getGraphDescriptors();
        descriptors[1].setAxis(1);
        descriptors[1].setColor(QColor(Qt::blue));
        descriptors[2].setVisible(false);
        descriptors.insert(9, GraphDescriptor(9, QStringLiteral("CH99"), QString(), QString(), Qt::red, 0, true));
        chart->setGraphDescriptors(descriptors);
        QVERIFY(chart->yAxis2->graphs().contains(chart->graph(1)));
        QCOMPARE(chart->getLegend()->getRightItems().value(QStringLiteral("CH02")), QColor(Qt::blue));
        QVERIFY(!chart->getLegend()->getLeftItems().contains(QStringLiteral("CH03")));
        QCOMPARE(chart->graphCount(), 3);   // the unknown descriptor adds no graph

        chart->lockedGraph(0)->insertPoints(pointsOf({{1000.0, 20.0}, {1005.0, 25.0}, {1010.0, 22.0}}), 1000);
        chart->setViewMode(2);
        QCOMPARE(chart->yAxis->range(), QCPRange(-0.25, 25.25));
        QCOMPARE(chart->xAxis->range(), QCPRange(1000.0, 1010.0));
        QCOMPARE(chart->interactions(), QCP::Interactions());
        // Tiny and huge readings get their range; one QCustomPlot cannot show is refused and logged.
        const struct { double low, high; QCPRange range; } readings[] = {
            {1e-10, 3e-10, QCPRange(-0.01 * 3e-10, 3e-10 + 0.01 * 3e-10)},
            {1e13, 2e13, QCPRange(-0.01 * 2e13, 2e13 + 0.01 * 2e13)},
            {-9e249, 9e249, QCPRange(-0.01 * 2e13, 2e13 + 0.01 * 2e13)}};
        LogCapture log;
        for (const auto& reading : readings) {
            chart->lockedGraph(0)->clearPoints();
            chart->lockedGraph(0)->insertPoints(pointsOf({{1000.0, reading.low}, {1010.0, reading.high}}), 1000);
            chart->updateAxes();
            QCOMPARE(chart->yAxis->range(), reading.range);
        }
        QCOMPARE(log.matching(QStringLiteral("left value axis range")).size(), 1);
        // An axis whose graphs hold only zeros keeps its range.
        chart->yAxis2->setRange(-3, 3);
        chart->lockedGraph(1)->insertPoints(pointsOf({{1000.0, 0.0}}), 1000);
        chart->updateAxes();
        QCOMPARE(chart->yAxis2->range(), QCPRange(-3, 3));
        // Follow: the newest point 5 % left of the right edge, span kept.
        chart->xAxis->setRange(0, 10);
        chart->setViewMode(1);
        QCOMPARE(chart->xAxis->range(), QCPRange(1000.5, 1010.5));

        chart->setDateTimeFormat(2);
        chart->setDateTimeFormat(-1);
        chart->setDateTimeFormat(4);
        QCOMPARE(chart->getDateTimeFormatIndex(), 2);
        // Over a few seconds, a format of whole seconds never labels two ticks alike.
        chart->setDateTimeFormat(0);
        chart->xAxis->setRange(1000.0, 1004.0);
        chart->replot();
        const QVector<QString> labels = chart->xAxis->tickVectorLabels();
        QVERIFY(labels.size() >= 2);
        for (int i = 1; i < labels.size(); ++i)
            QVERIFY2(labels[i] != labels[i - 1], qPrintable(labels[i]));
    }

    // Both value axes write fractions with a point, as the device and the rest of the client do,
    // under the German locale the suite runs in (tests/CMakeLists.txt).
    void axisNumbersHaveAPoint()
    {
        QVERIFY2(QLocale().decimalPoint() == QLatin1Char(','), "the tests run under de_DE.UTF-8");
        start(chart, measureOf(2));
        QMap<int, GraphDescriptor> descriptors = chart->getGraphDescriptors();
        descriptors[1].setAxis(1);
        chart->setGraphDescriptors(descriptors);
        chart->lockedGraph(0)->insertPoints(pointsOf({{1000.0, 79.1}, {1005.0, 79.9}, {1010.0, 79.4}}), 1000);
        chart->lockedGraph(1)->insertPoints(pointsOf({{1000.0, -0.2}, {1005.0, 0.4}, {1010.0, 0.1}}), 1000);
        chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(chart));
        chart->setViewMode(0);
        chart->xAxis->setRange(1000.0, 1010.0);
        chart->yAxis->setRange(79.0, 80.0);
        chart->yAxis2->setRange(-0.5, 0.5);
        chart->replot();
        for (QCPAxis* axis : {chart->yAxis, chart->yAxis2}) {
            const QString labels = QStringList(axis->tickVectorLabels().toList()).join(QLatin1Char(' '));
            QVERIFY2(axis->tickLabels() && labels.contains(QLatin1Char('.')) && !labels.contains(QLatin1Char(',')),
                     qPrintable(labels));
        }
        QVERIFY(grabScreenshot(chart, QStringLiteral("plotline-axes.png")));
    }

    void mouseNavigationAndSidePanel()
    {
        start(chart, measureOf(2));
        chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(chart));
        chart->setViewMode(0);
        chart->xAxis->setRange(1000, 1100);
        chart->yAxis->setRange(0, 1e13);
        chart->yAxis2->setRange(0, 10);
        chart->replot();
        const QPoint from = chart->axisRect()->rect().center();
        const double keyAtPress = chart->xAxis->pixelToCoord(from.x());

        // One notch forward shrinks the span to 85 % around the pointer; both value axes zoom.
        QWheelEvent wheel(QPointF(from), chart->mapToGlobal(from), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart, &wheel);
        QVERIFY(qAbs(chart->xAxis->range().size() - 85.0) < 1e-6);
        QVERIFY(qAbs(chart->xAxis->pixelToCoord(from.x()) - keyAtPress) < 0.2);
        QVERIFY(qAbs(chart->yAxis->range().size() - 0.85e13) < 1e3);

        // A drag keeps the pressed time under the pointer; a selected axis moves alone.
        chart->yAxis->setSelectedParts(QCPAxis::spAxis | QCPAxis::spTickLabels);
        const QCPRange right = chart->yAxis2->range();
        const QCPRange left = chart->yAxis->range();
        QTest::mousePress(chart, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(-60, 40)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(chart, &move);
        QVERIFY(qAbs(chart->xAxis->pixelToCoord(from.x() - 60) - keyAtPress) < 0.2);
        QTest::mouseRelease(chart, Qt::LeftButton, Qt::NoModifier, from + QPoint(-60, 40));
        QCOMPARE(chart->yAxis2->range(), right);
        QVERIFY(chart->yAxis->range().lower != left.lower);

        // In the complete view the mouse changes nothing.
        chart->setViewMode(2);
        const QCPRange time = chart->xAxis->range();
        QApplication::sendEvent(chart, &wheel);
        QTest::mousePress(chart, Qt::LeftButton, Qt::NoModifier, from);
        QApplication::sendEvent(chart, &move);
        QTest::mouseRelease(chart, Qt::LeftButton, Qt::NoModifier, from);
        QCOMPARE(chart->xAxis->range(), time);

        const QString pic = QStringLiteral(":/pic/icon/icon_sidebar-button_%1_80x39_%2_V1.0.png");
        PlotlineShortCut panel(chart);
        panel.resize(240, 640);
        const auto button = [&panel](const char* name) {
            return panel.findChild<QToolButton*>(QStringLiteral("tbtnPlotlineShortCut") + QLatin1String(name));
        };
        QToolButton *manual = button("Manual"), *follow = button("Auto"), *complete = button("Complete"), *back = button("Actual");

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
        QVERIFY(viewtest::shows(follow, pic.arg("auto", "orange")));
        QTest::mouseClick(manual, Qt::LeftButton);
        QCOMPARE(chart->getViewMode(), 0);
        QVERIFY(viewtest::shows(manual, pic.arg("manuell", "orange")) && viewtest::shows(follow, pic.arg("auto", "grau")));
        panel.setViewMode(7);   // no mode of the panel: the marks stay
        QVERIFY(viewtest::shows(manual, pic.arg("manuell", "orange")));

        // A stored measurement offers only the return to the running one.
        panel.setHistMeasureMode(1);
        QVERIFY(back->isVisible() && !manual->isEnabled() && !follow->isEnabled() && !complete->isEnabled());
        QVERIFY(grabScreenshot(&panel, QStringLiteral("plotline-shortcut.png")));
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(chart->isHistMeasure(), 0);
        QCOMPARE(chart->getViewMode(), 2);
        QVERIFY(manual->isEnabled() && follow->isEnabled() && complete->isEnabled());
        QVERIFY(viewtest::shows(complete, pic.arg("gesamte-messung", "orange")));
    }

    void replotsAreCoalesced()
    {
        start(chart, measureOf(1));
        QSignalSpy replots(chart, SIGNAL(afterReplot()));
        QTest::qWait(50);
        replots.clear();
        // A burst of data gives one redraw; a hidden chart is redrawn too and shows it when shown.
        chart->hide();
        for (int i = 0; i < 50; ++i) {
            chart->lockedGraph(0)->insertPoints(pointsOf({{2000.0 + i, double(i)}}), 1000);
            chart->availableMeasureData();
        }
        QTRY_COMPARE_WITH_TIMEOUT(replots.count(), 1, 2000);
        QTest::qWait(400);
        QCOMPARE(replots.count(), 1);
        QCOMPARE(chart->xAxis->range().upper, 2049.0);
    }

    // A device thread streams into 20 graphs, starts a measurement every 200 ms and
    // moves the limit every 500 ms while the GUI thread redraws, pans and rescales:
    // no sanitizer report, no hang, no graph with points of another measurement.
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
                Json::Value telegram;
                if (clock.elapsed() >= nextStart) {
                    fixture.json()->handleReceiveJSON(telegram = startTelegram(++id, time));
                    currentId = id;
                    nextStart += 200;
                }
                if (clock.elapsed() >= nextLimit) {
                    telegram = SimulatorProcess::setTelegram(QStringLiteral("$.SERV.STAT.MEAS.LIMT"), Json::Int64(time - 200));
                    fixture.json()->handleReceiveJSON(telegram);
                    nextLimit += 500;
                }
                fixture.json()->handleReceiveJSON(telegram = dataTelegram(id, time));
                time += 20;
                // 80,000 values a second: four times an instrument's fastest stream.
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });

        QElapsedTimer clock;
        clock.start();
        int redraws = 0;
        int mostPoints = 0;
        // Three seconds, and at least some redraws however slow the machine is.
        while ((clock.elapsed() < 3000 || redraws < 5) && clock.elapsed() < 60000) {
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

        // Once the queue is drained, every graph holds points, all of the last measurement.
        const auto lastMeasurementOnly = [&] {
            if (chart.getUtil()->pendingCount() != 0 || chart.graphCount() != CHANNELS)
                return false;
            for (int c = 0; c < CHANNELS; ++c) {
                const auto points = chart.lockedGraph(c)->points();
                if (points.isEmpty())
                    return false;
                for (const QCPGraphData& point : points)
                    if (int(point.value) != currentId.load())
                        return false;
            }
            return true;
        };
        QTRY_VERIFY_WITH_TIMEOUT(lastMeasurementOnly(), 10000);
        QVERIFY(mostPoints > 100);
    }
};

QTEST_MAIN(TestCustomPlotLine)
#include "tst_customplotline.moc"
