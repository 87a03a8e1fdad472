// The line chart as a widget: graphs, colours, legend, descriptors, view
// modes, rescaling (tiny and huge values) and mouse navigation, with points
// put straight into the graphs. The device side is tested end to end in tst_linechart.
#include "../common/LogCapture.h"
#include "util/CustomPlotLineUtil.h"
#include "util/SettingsUtil.h"
#include "view/CustomPlotLine.h"
#include "view/PlotlineLegend.h"
#include "widgets/LockedGraph.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

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

ChartPoints pointsOf(std::initializer_list<std::pair<double, double>> list)
{
    ChartPoints points;
    for (const auto& point : list)
        points.append(QCPGraphData(point.first, point.second));
    return points;
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
        QCOMPARE(colours.first(), QColor(QStringLiteral("#f44336")));
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

        // Colours from the setting repeat in order; an empty entry keeps its
        // place with the default colour of that place.
        SettingsUtil::setValue(COLOR_KEY, QStringLiteral("#112233,,#445566"));
        CustomPlotLine threeColours(nullptr, button);
        start(&threeColours, measureOf(4));
        const QList<QColor> expected{QColor(QStringLiteral("#112233")), colours.at(1), QColor(QStringLiteral("#445566")),
                                     QColor(QStringLiteral("#112233"))};
        for (int index = 0; index < expected.size(); ++index)
            QCOMPARE(threeColours.graph(index)->pen().color(), expected.at(index));
    }

    void descriptorsAndFormats()
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

    void viewModesAndRescale()
    {
        start(chart, measureOf(2));
        chart->lockedGraph(0)->insertPoints(pointsOf({{1000.0, 20.0}, {1005.0, 25.0}, {1010.0, 22.0}}), 1000);
        chart->setViewMode(2);
        QCOMPARE(chart->yAxis->range(), QCPRange(-0.25, 25.25));
        QCOMPARE(chart->xAxis->range(), QCPRange(1000.0, 1010.0));
        QCOMPARE(chart->interactions(), QCP::Interactions());

        // Tiny and huge readings get their range; one QCustomPlot cannot show is refused and logged.
        const struct {
            double low, high;
            QCPRange range;
        } readings[] = {{1e-10, 3e-10, QCPRange(-0.01 * 3e-10, 3e-10 + 0.01 * 3e-10)},
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
        GraphDescriptor second = chart->getGraphDescriptor(1);
        second.setAxis(1);
        chart->setGraphDescriptor(second);
        chart->lockedGraph(1)->insertPoints(pointsOf({{1000.0, 0.0}}), 1000);
        chart->updateAxes();
        QCOMPARE(chart->yAxis2->range(), QCPRange(-3, 3));

        // Follow: the newest point 5 % left of the right edge, span kept.
        chart->xAxis->setRange(0, 10);
        chart->setViewMode(1);
        QCOMPARE(chart->xAxis->range(), QCPRange(1000.5, 1010.5));
    }

    void mouseNavigation()
    {
        start(chart, measureOf(2));
        chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(chart));
        chart->setViewMode(0);
        chart->xAxis->setRange(1000, 1100);
        chart->yAxis->setRange(0, 1e13);
        chart->yAxis2->setRange(0, 10);
        chart->replot();
        const QRect rect = chart->axisRect()->rect();
        const QPoint from = rect.center();
        const double keyAtPress = chart->xAxis->pixelToCoord(from.x());

        // One notch forward shrinks the span to 85 % around the pointer; both value axes zoom.
        QWheelEvent wheel(QPointF(from), chart->mapToGlobal(from), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart, &wheel);
        QVERIFY(qAbs(chart->xAxis->range().size() - 85.0) < 1e-6);
        QVERIFY(qAbs(chart->xAxis->pixelToCoord(from.x()) - keyAtPress) < 0.2);
        QVERIFY(qAbs(chart->yAxis->range().size() - 0.85e13) < 1e3);

        // A drag keeps the pressed time under the pointer; with the left axis
        // selected only that one moves vertically.
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
};

QTEST_MAIN(TestCustomPlotLine)
#include "tst_customplotline.moc"
