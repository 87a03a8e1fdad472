// The records behind the line chart and the measurement lists: chart points,
// channel lines, measurements and export destinations.
#include "common/CharacteristicLine.h"
#include "common/ChartPoints.h"
#include "common/ExportDestination.h"
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
    // Points come sorted by key, the last of equal keys kept, also through a line.
    void chartPointsAndLines()
    {
        ChartPoints points{{3, 30}, {1, 10}, {3, 31}, {2, 20}, {1, 11}};
        normalizeChartPoints(points);
        QCOMPARE(pairs(points), (QList<QPair<double, double>>{{1, 11}, {2, 20}, {3, 31}}));
        CharacteristicLine line(QStringLiteral("m.dat"), QStringLiteral("M02"), 7, 2, 3);
        line.setPoints(ChartPoints{{2, 2}, {1, 1}, {2, 4}});
        QCOMPARE(pairs(line.pointsRef()), (QList<QPair<double, double>>{{1, 1}, {2, 4}}));
    }

    void measureAndDestinationTexts()
    {
        const QString format = QStringLiteral("dd.MM.yyyy HH.mm.ss");
        const Measure running(QStringLiteral("Lauf"), 1, 1700000000000LL, 0);
        QCOMPARE(running.getPeriodText(format, QStringLiteral("-")),
                 QStringLiteral("14.11.2023 22.13.20 - 01.01.1970 00.00.00"));
        QCOMPARE(Measure(QString(), 2, 0, 0, 1234.567, QStringLiteral("MB")).getSizeText(),
                 QStringLiteral("1234.57 MB"));
        QCOMPARE(ExportDestination().getAvailableText(), QStringLiteral("0.00 "));
        const ExportDestination usb(2, QStringLiteral("\\\\usb"), QStringLiteral("USB"), 17, 12.345,
                                    QStringLiteral("GB"), 1.2, false);
        QCOMPARE(usb.getAvailableText(), QStringLiteral("12.35 GB"));
    }

    void measureCopiesOrderAndVariants()
    {
        const Measure original(QStringLiteral("Aufz"), 3, 2000, 3000, 1.0, QStringLiteral("kB"), 4);
        Measure copy = original;
        copy.addChannel(CharacteristicLine(QStringLiteral("f"), QStringLiteral("M01"), 3, 2, 0));
        QVERIFY(original.getChannels().isEmpty());

        QVector<Measure> list{original, Measure(QStringLiteral("b"), 5, 1000, 0),
                              Measure(QStringLiteral("c"), 6, 1500, 0)};
        std::sort(list.begin(), list.end(), measureLessThan);
        QCOMPARE((QList<int>{list[0].getId(), list[1].getId(), list[2].getId()}), (QList<int>{5, 6, 3}));
        QVERIFY(!measureLessThan(list[0], list[0]));
        // Queued signals carry them.
        QCOMPARE(QVariant::fromValue(copy).value<Measure>().getChannels().size(), 1);
        QVERIFY(qRegisterMetaType<QVector<Measure>>() != QMetaType::UnknownType);
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
