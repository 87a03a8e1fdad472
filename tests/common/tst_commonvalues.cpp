// The value types: a channel's status letters and flags as bit words, storage
// sizes, chart points, measurements and export destinations, and table cells
// and tables (equality decides what a partial rebuild redraws; tables cross
// threads through queued signals that pass them by reference).
#include "common/ChannelData.h"
#include "common/ChannelDataFlags.h"
#include "common/CharacteristicLine.h"
#include "common/ChartPoints.h"
#include "common/ExportDestination.h"
#include "common/Measure.h"
#include "common/StorageSize.h"
#include "common/TableStructure.h"
#include "common/ThreadHandOver.h"

#include <json/json.h>

#include <QThread>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <functional>

namespace {

QList<QPair<double, double>> pairs(const ChartPoints& points)
{
    QList<QPair<double, double>> result;
    for (const QCPGraphData& p : points)
        result.append({p.key, p.value});
    return result;
}

using CellChange = std::function<void(TableCell&)>;

TableCell sampleCell()
{
    TableCell cell;
    cell.setCellType(TableCell::NUMBER_EDIT);
    cell.setPath(QStringLiteral("$.CONF.A.VAL"));
    cell.setValue(QStringLiteral("12.5"));
    cell.setLimitFlags(TableCell::MIN | TableCell::MAX);
    cell.setMin(0.0);
    cell.setMax(100.0);
    return cell;
}

TableStructure sampleTable(int rows)
{
    TableStructure table;
    table.setHeader({TableEntry(QStringLiteral("Name")), TableEntry(QStringLiteral("Wert"))});
    QVector<QVector<TableCell>> cells;
    for (int r = 0; r < rows; ++r) {
        TableCell value = sampleCell();
        value.setPath(QStringLiteral("$.CONF[%1].VAL").arg(r));
        cells.append({TableCell(), value});
    }
    table.setRows(cells);
    return table;
}

// Emits tables and channels from its own thread with by-reference signals.
class TableProducer : public QObject
{
    Q_OBJECT

signals:
    void updateTableData(TableStructure& table);
    void updateChannelData(ChannelData& channel);

public slots:
    void produce(int rows)
    {
        TableStructure table = sampleTable(rows);
        emit updateTableData(table);
        ChannelData channel;
        channel.setValue(QStringLiteral("21.53"));
        channel.setChannelIndex(3);
        channel.setFunctionTables({table});
        emit updateChannelData(channel);
    }
};

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
            QVERIFY2((row.left ? ChannelDataFlags::parseLeftFlags(value) : ChannelDataFlags::parseRightFlags(value))
                         == row.bits, row.name);
        }
    }

    void storageSizesConvertInStepsOf1024()
    {
        // Any letter case ("Mb" and "kB" as the instrument writes them); unknown units are
        // refused and leave the result alone, but equal texts compare as they are.
        const struct { double value; const char *from, *to; bool converted; double result; } rows[] = {
            {1, "TB", "B", true, 1099511627776.0}, {3, "Mb", "kB", true, 3072}, {512, "MB", "GB", true, 0.5},
            {1, "GB", "Blöcke", false, 0.5},       {1, "", "MB", false, 0.5},   {7, "Seiten", "Seiten", true, 7},
        };
        double result = -1.0;
        for (const auto& r : rows) {
            QCOMPARE(StorageSize::convert(r.value, r.from, r.to, result), r.converted);
            QCOMPARE(result, r.result);
        }
        double bytes = 0.0;
        QVERIFY(!StorageSize::bytesPerUnit("PB", bytes) && StorageSize::bytesPerUnit(" kb ", bytes));
        QCOMPARE(bytes, 1024.0);
    }

    // A line's points come sorted by key, the last of equal keys kept.
    void chartPointsAndLines()
    {
        CharacteristicLine line(QStringLiteral("m.dat"), QStringLiteral("M02"), 7, 2, 3);
        line.setPoints(ChartPoints{{2, 2}, {1, 1}, {2, 4}});
        QCOMPARE(pairs(line.pointsRef()), (QList<QPair<double, double>>{{1, 1}, {2, 4}}));
    }

    void measureAndDestinationTexts()
    {
        const Measure running(QStringLiteral("Lauf"), 1, 1700000000000LL, 0);
        QCOMPARE(running.getPeriodText(QStringLiteral("dd.MM.yyyy HH.mm.ss"), QStringLiteral("-")),
                 QStringLiteral("14.11.2023 22.13.20 - 01.01.1970 00.00.00"));
        QCOMPARE(Measure(QString(), 2, 0, 0, 1234.567, QStringLiteral("MB")).getSizeText(), QString("1234.57 MB"));
        QCOMPARE(ExportDestination().getAvailableText(), QStringLiteral("0.00 "));
        const ExportDestination usb(2, QStringLiteral("\\\\usb"), QStringLiteral("USB"), 17, 12.345, QStringLiteral("GB"),
                                    1.2, false);
        QCOMPARE(usb.getAvailableText(), QStringLiteral("12.35 GB"));
    }

    void measureCopiesOrderAndVariants()
    {
        const Measure original(QStringLiteral("Aufz"), 3, 2000, 3000, 1.0, QStringLiteral("kB"), 4);
        Measure copy = original;
        copy.addChannel(CharacteristicLine(QStringLiteral("f"), QStringLiteral("M01"), 3, 2, 0));
        QVERIFY(original.getChannels().isEmpty());
        QVector<Measure> list{original, Measure(QString("b"), 5, 1000, 0), Measure(QString("c"), 6, 1500, 0)};
        std::sort(list.begin(), list.end(), measureLessThan);
        QCOMPARE((QList<int>{list[0].getId(), list[1].getId(), list[2].getId()}), (QList<int>{5, 6, 3}));
        QVERIFY(!measureLessThan(list[0], list[0]));
        QCOMPARE(QVariant::fromValue(copy).value<Measure>().getChannels().size(), 1);   // queued signals carry them
    }

    // Equality decides what a partial rebuild redraws: the changed flag does
    // not count, a NaN limit or an emptied value does. Validators apply to ROWS
    // tables only, so a table whose producer never sets the kind must be one.
    void cellEqualityAndNewTables()
    {
        QCOMPARE(TableStructure().getTableType(), int(TableStructure::ROWS));
        QCOMPARE(ChannelData().getTable().getTableType(), int(TableStructure::ROWS));
        const TableCell original = sampleCell();
        const CellChange changes[] = {[](TableCell& c) { c.setMax(std::nan("")); },
                                      [](TableCell& c) { c.setRegx("^[0-9]$"); },
                                      [](TableCell& c) { c.setData(QVariant()); }};
        for (const CellChange& change : changes) {
            TableCell other = original;
            change(other);
            QVERIFY(!(original == other) && !(other == original));
        }
        TableCell flagged = original;
        flagged.setChanged(true);
        QVERIFY(original == flagged);

        // Row changes stay in their table.
        TableStructure table = sampleTable(3);
        const TableStructure copy = table;
        table.getRow(1)[1].setValue(QStringLiteral("99"));
        table.getRow(1)[1].setChanged(true);
        QCOMPARE(table.cellAt(1, 1).getValue().toString(), QStringLiteral("99"));
        QCOMPARE(copy.cellAt(1, 1).getValue().toString(), QStringLiteral("12.5"));
        QVERIFY(!copy.cellAt(1, 1).isChanged());
        QVERIFY(table.contains(2, 1) && !table.contains(3, 0) && !table.contains(0, 2) && !table.contains(-1, 0));
    }

    void tablesCrossThreadsByReferenceSignals()
    {
        TableStructure::registerMetaTypes();
        ChannelData::registerMetaTypes();
        QThread thread;
        TableProducer producer;
        producer.moveToThread(&thread);
        TableStructure table;
        ChannelData channel;
        QThread* tableThread = nullptr;
        connect(&producer, &TableProducer::updateTableData, this, [&](TableStructure& received) {
            table = received;
            tableThread = QThread::currentThread();
        });
        connect(&producer, &TableProducer::updateChannelData, this, [&](ChannelData& received) { channel = received; });
        thread.start();
        postCall(&producer, [&producer] { producer.produce(40); });
        QTRY_COMPARE(channel.getChannelIndex(), 3);
        thread.quit();
        waitForThread(&thread);
        QCOMPARE(tableThread, QThread::currentThread());
        QCOMPARE(table.cellAt(39, 1).getPath(), QStringLiteral("$.CONF[39].VAL"));
        QCOMPARE(channel.getFunctionTables().at(0).rowCount(), 40);
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
