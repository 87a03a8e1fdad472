// The records behind the line chart and the measurement lists: chart points,
// channel lines, measurements, export destinations and graph descriptors.
#include "common/CharacteristicLine.h"
#include "common/ChartPoints.h"
#include "common/ExportDestination.h"
#include "common/GraphDescriptor.h"
#include "common/Measure.h"

#include <QtTest>

#include <algorithm>
#include <ctime>

namespace {

QList<QPair<double, double>> pairs(const ChartPoints& points)
{
    QList<QPair<double, double>> result;
    for (const QCPGraphData& p : points)
        result.append({p.key, p.value});
    return result;
}

} // namespace

class TestChartRecords : public QObject
{
    Q_OBJECT

private slots:
    void chartPointsAndLines()
    {
        ChartPoints points{{3, 30}, {1, 10}, {3, 31}, {2, 20}, {1, 11}};
        normalizeChartPoints(points);
        const QList<QPair<double, double>> expected{{1, 11}, {2, 20}, {3, 31}};
        QCOMPARE(pairs(points), expected);
        normalizeChartPoints(points);
        QCOMPARE(pairs(points), expected);

        const CharacteristicLine state(QStringLiteral("m.dat"), QStringLiteral("M01"), QStringLiteral("°C"),
                                       QStringLiteral("Vorlauf"), 7, 1, -1);
        QCOMPARE(state.getAttribute(), -1);
        QCOMPARE(state.getSource(), 1);
        QCOMPARE(state.getMeasureId(), 7);
        QCOMPARE(state.getDimension(), QStringLiteral("°C"));
        QCOMPARE(state.getDesignation(), QStringLiteral("Vorlauf"));
        QVERIFY(state.getPoints().isEmpty());
        QCOMPARE(state.getGraphIndex(), -1);

        CharacteristicLine block(QStringLiteral("m.dat"), QStringLiteral("M02"), 7, 2, 3);
        QCOMPARE(block.getChannel(), QStringLiteral("M02"));
        QCOMPARE(block.getAttribute(), 3);
        QVERIFY(block.getDimension().isEmpty() && block.getDesignation().isEmpty());
        block.setPoints(ChartPoints{{2, 2}, {1, 1}, {2, 4}});
        QCOMPARE(pairs(block.pointsRef()), (QList<QPair<double, double>>{{1, 1}, {2, 4}}));
    }

    void measureTexts()
    {
        const QString format = QStringLiteral("dd.MM.yyyy HH.mm.ss");
        const Measure running(QStringLiteral("Lauf"), 1, 1700000000000LL, 0);
        QCOMPARE(running.getStartText(format), QStringLiteral("14.11.2023 22.13.20"));
        QCOMPARE(running.getPeriodText(format, QStringLiteral("-")),
                 QStringLiteral("14.11.2023 22.13.20 - 01.01.1970 00.00.00"));

        QCOMPARE(Measure(QString(), 2, 0, 0, 1.5, QStringLiteral("MB")).getSizeText(), QStringLiteral("1.50 MB"));
        QCOMPARE(Measure(QString(), 2, 0, 0, 1234.567, QStringLiteral("MB")).getSizeText(),
                 QStringLiteral("1234.57 MB"));
        QCOMPARE(Measure(QString(), 2, 0, 0, 0.0, QString()).getSizeText(), QStringLiteral("0.00 "));
    }

    void measureCopiesOrderAndVariants()
    {
        const Measure original(QStringLiteral("Aufz"), 3, 2000, 3000, 1.0, QStringLiteral("kB"), 4);
        Measure copy = original;
        copy.addChannel(CharacteristicLine(QStringLiteral("f"), QStringLiteral("M01"), 3, 2, 0));
        QCOMPARE(copy.getChannels().size(), 1);
        QVERIFY(original.getChannels().isEmpty());
        QCOMPARE(copy.getDestinationId(), 4);

        QVector<Measure> list{original, Measure(QStringLiteral("b"), 5, 1000, 0),
                              Measure(QStringLiteral("c"), 6, 1500, 0)};
        std::sort(list.begin(), list.end(), measureLessThan);
        QCOMPARE(list[0].getId(), 5);
        QCOMPARE(list[1].getId(), 6);
        QCOMPARE(list[2].getId(), 3);
        QVERIFY(!measureLessThan(list[0], list[0]));

        const QVariant one = QVariant::fromValue(copy);
        QCOMPARE(one.value<Measure>().getName(), QStringLiteral("Aufz"));
        QCOMPARE(one.value<Measure>().getChannels().size(), 1);
        const QVariant many = QVariant::fromValue(list);
        QCOMPARE(many.value<QVector<Measure>>().size(), 3);
        QVERIFY(qRegisterMetaType<QVector<Measure>>() != QMetaType::UnknownType);
        QVERIFY(QMetaType::type("Measure") != QMetaType::UnknownType);
    }

    void exportDestinationsAndDescriptors()
    {
        const ExportDestination empty;
        QCOMPARE(empty.getDeviceTextId(), -1);
        QVERIFY(empty.isSizeValid());
        QCOMPARE(empty.getAvailableText(), QStringLiteral("0.00 "));
        const ExportDestination usb(2, QStringLiteral("\\\\usb"), QStringLiteral("USB"), 17, 12.345,
                                    QStringLiteral("GB"), 1.2, false);
        QCOMPARE(usb.getAvailableText(), QStringLiteral("12.35 GB"));
        QCOMPARE(usb.getDeviceTextId(), 17);
        QVERIFY(!usb.isSizeValid());

        const GraphDescriptor missing;
        QVERIFY(!missing.getColor().isValid());
        QVERIFY(missing.getName().isEmpty() && missing.getChannel().isEmpty() && missing.getDimension().isEmpty());
        QCOMPARE(missing.getIndex(), -1);
        QVERIFY(!missing.isVisible());
    }
};

int main(int argc, char** argv)
{
    // Date texts are local time; pin the zone before Qt reads it.
    qputenv("TZ", "UTC");
    tzset();
    QCoreApplication app(argc, argv);
    TestChartRecords test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_chartrecords.moc"
