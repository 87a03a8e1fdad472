// The small value types of the program: a channel's status letters and
// function flags as bit words, storage sizes between the instrument's units,
// and the records behind the line chart and the measurement lists (chart
// points, channel lines, measurements and export destinations).
#include "common/ChannelDataFlags.h"
#include "common/CharacteristicLine.h"
#include "common/ChartPoints.h"
#include "common/ExportDestination.h"
#include "common/Measure.h"
#include "common/StorageSize.h"

#include <json/json.h>

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

class TestCommonValues : public QObject
{
    Q_OBJECT

private slots:
    void channelFlags()
    {
        const struct { const char* name; bool left; const char* json; int bits; } rows[] = {   // left: status letters
            {"letters, unknowns and a number", true, R"(["O", "h", "Q", 5])", 0x1001},
            {"repeated and case-sensitive", true, R"(["H", "H", "h", "l", "L", "-"])", 0x3C04},
            {"whole strings only", true, R"(["OU", ""])", 0},
            {"letters not an array", true, R"({"O": true})", 0},
            {"true names of the map", false, R"({"CT": true, "CJ": false, "XYZ": true})", 0x80},
            {"only booleans count", false, R"({"REL": 1, "DAMP": "true", "AFA": true})", 0x1},
            {"flags not an object", false, R"(["CT"])", 0},
        };
        for (const auto& row : rows) {
            Json::Value value;
            QVERIFY(Json::Reader().parse(row.json, value));
            const int bits = row.left ? ChannelDataFlags::parseLeftFlags(value) : ChannelDataFlags::parseRightFlags(value);
            QVERIFY2(bits == row.bits, row.name);
        }
    }

    void storageSizesConvertInStepsOf1024()
    {
        double result = -1.0;
        QVERIFY(StorageSize::convert(1.0, "TB", "B", result));
        QCOMPARE(result, 1099511627776.0);
        // Any letter case: "Mb" and "kB" as the instrument writes them.
        QVERIFY(StorageSize::convert(3.0, "Mb", "kB", result));
        QCOMPARE(result, 3072.0);
        QVERIFY(StorageSize::convert(512.0, "MB", "GB", result));
        QCOMPARE(result, 0.5);
        // Unknown units are refused and leave the result alone...
        QVERIFY(!StorageSize::convert(1.0, "GB", "Blöcke", result) && !StorageSize::convert(1.0, "", "MB", result));
        QCOMPARE(result, 0.5);
        // ...but equal texts compare as they are, even when unknown.
        QVERIFY(StorageSize::convert(7.0, "Seiten", "Seiten", result));
        QCOMPARE(result, 7.0);
        double bytes = 0.0;
        QVERIFY(!StorageSize::bytesPerUnit("PB", bytes) && StorageSize::bytesPerUnit(" kb ", bytes));
        QCOMPARE(bytes, 1024.0);
    }

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
        const Measure running(QStringLiteral("Lauf"), 1, 1700000000000LL, 0);
        QCOMPARE(running.getPeriodText(QStringLiteral("dd.MM.yyyy HH.mm.ss"), QStringLiteral("-")),
                 QStringLiteral("14.11.2023 22.13.20 - 01.01.1970 00.00.00"));
        QCOMPARE(Measure(QString(), 2, 0, 0, 1234.567, QStringLiteral("MB")).getSizeText(), QStringLiteral("1234.57 MB"));
        QCOMPARE(ExportDestination().getAvailableText(), QStringLiteral("0.00 "));
        const ExportDestination usb(2, QStringLiteral("\\\\usb"), QStringLiteral("USB"), 17, 12.345, QStringLiteral("GB"), 1.2,
                                    false);
        QCOMPARE(usb.getAvailableText(), QStringLiteral("12.35 GB"));
    }

    void measureCopiesOrderAndVariants()
    {
        const Measure original(QStringLiteral("Aufz"), 3, 2000, 3000, 1.0, QStringLiteral("kB"), 4);
        Measure copy = original;
        copy.addChannel(CharacteristicLine(QStringLiteral("f"), QStringLiteral("M01"), 3, 2, 0));
        QVERIFY(original.getChannels().isEmpty());
        QVector<Measure> list{original, Measure(QStringLiteral("b"), 5, 1000, 0), Measure(QStringLiteral("c"), 6, 1500, 0)};
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
    TestCommonValues test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_commonvalues.moc"
