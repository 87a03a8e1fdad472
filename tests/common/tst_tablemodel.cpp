// The table value types: cell equality (which decides what a partial rebuild
// redraws), copies that stay apart, and tables crossing threads
// through queued signals that pass them by reference.

#include "common/ChannelData.h"
#include "common/TableStructure.h"

#include <QThread>
#include <QtTest>

#include <cmath>
#include <functional>

namespace {

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

class TableReceiver : public QObject
{
    Q_OBJECT

public:
    TableStructure table;
    ChannelData channel;
    QThread* tableThread = nullptr;

public slots:
    void receiveTable(TableStructure& received)
    {
        table = received;
        tableThread = QThread::currentThread();
    }
    void receiveChannel(ChannelData& received) { channel = received; }
};

} // namespace

class TestTableModel : public QObject
{
    Q_OBJECT

private slots:
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
        TableReceiver receiver;
        connect(&producer, &TableProducer::updateTableData, &receiver, &TableReceiver::receiveTable);
        connect(&producer, &TableProducer::updateChannelData, &receiver, &TableReceiver::receiveChannel);
        thread.start();
        QMetaObject::invokeMethod(&producer, "produce", Qt::QueuedConnection, Q_ARG(int, 40));
        QTRY_COMPARE(receiver.channel.getChannelIndex(), 3);
        thread.quit();
        thread.wait();
        QCOMPARE(receiver.tableThread, QThread::currentThread());
        QCOMPARE(receiver.table.cellAt(39, 1).getPath(), QStringLiteral("$.CONF[39].VAL"));
        QCOMPARE(receiver.channel.getFunctionTables().at(0).rowCount(), 40);
    }
};

QTEST_GUILESS_MAIN(TestTableModel)
#include "tst_tablemodel.moc"
