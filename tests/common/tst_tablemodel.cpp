// The table value types: cell equality (which decides what a partial rebuild
// redraws), header keys, copies that stay apart, and tables crossing threads
// through queued signals that pass them by reference.

#include "common/ChannelData.h"
#include "common/TableStructure.h"

#include <QThread>
#include <QtTest>

#include <cmath>
#include <functional>

Q_DECLARE_METATYPE(std::function<void(TableCell&)>)

namespace {

using CellChange = std::function<void(TableCell&)>;

TableCell sampleCell()
{
    TableCell cell;
    cell.setCellType(TableCell::NUMBER_EDIT);
    cell.setRights(TableCell::EDITABLE);
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
        TableCell name;
        name.setCellType(TableCell::TEXT);
        name.setValue(QStringLiteral("Eintrag %1").arg(r));
        TableCell value = sampleCell();
        value.setPath(QStringLiteral("$.CONF[%1].VAL").arg(r));
        cells.append({name, value});
    }
    table.setRows(cells);
    table.setPath(QStringLiteral("$.CONF"));
    table.setIdxPath(QStringLiteral("$.CLNT.IDX"));
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
    void newValuesHaveTheirDefaults();
    void cellEquality_data();
    void cellEquality();
    void rowChangesStayInTheirTable();
    void tablesCrossThreadsByReferenceSignals();
};

void TestTableModel::newValuesHaveTheirDefaults()
{
    // Validators apply to ROWS tables only, so a table whose producer never
    // sets the kind must be one.
    const TableStructure table;
    QCOMPARE(table.getTableType(), int(TableStructure::ROWS));
    QVERIFY(!table.getHeaderVisible());
    const ChannelData channel;
    QCOMPARE(channel.getChannelIndex(), -1);
    QCOMPARE(channel.getTable().getTableType(), int(TableStructure::ROWS));
}

void TestTableModel::cellEquality_data()
{
    QTest::addColumn<CellChange>("change");
    QTest::addColumn<bool>("equal");

    QTest::newRow("changed flag") << CellChange([](TableCell& c) { c.setChanged(true); }) << true;
    QTest::newRow("path") << CellChange([](TableCell& c) { c.setPath("$.X"); }) << false;
    QTest::newRow("rights") << CellChange([](TableCell& c) { c.setRights(1); }) << false;
    QTest::newRow("NaN max") << CellChange([](TableCell& c) { c.setMax(std::nan("")); }) << false;
    QTest::newRow("regx") << CellChange([](TableCell& c) { c.setRegx("^[0-9]$"); }) << false;
    QTest::newRow("value") << CellChange([](TableCell& c) { c.setValue("13"); }) << false;
    QTest::newRow("data invalid") << CellChange([](TableCell& c) { c.setData(QVariant()); }) << false;
}

void TestTableModel::cellEquality()
{
    QFETCH(CellChange, change);
    QFETCH(bool, equal);
    const TableCell original = sampleCell();
    TableCell other = original;
    change(other);
    QCOMPARE(original == other, equal);
    QCOMPARE(other == original, equal);
}

void TestTableModel::rowChangesStayInTheirTable()
{
    TableStructure table = sampleTable(3);
    const TableStructure copy = table;
    table.getRow(1)[1].setValue(QStringLiteral("99"));
    table.getRow(1)[1].setChanged(true);

    QCOMPARE(table.cellAt(1, 1).getValue().toString(), QStringLiteral("99"));
    QCOMPARE(copy.cellAt(1, 1).getValue().toString(), QStringLiteral("12.5"));
    QVERIFY(!copy.cellAt(1, 1).isChanged());
    QCOMPARE(copy.getHeaderKey(QLatin1Char(';')), QStringLiteral("Name;Wert"));

    QVERIFY(table.contains(2, 1));
    QVERIFY(!table.contains(3, 0));
    QVERIFY(!table.contains(0, 2));
    QVERIFY(!table.contains(-1, 0));
}

void TestTableModel::tablesCrossThreadsByReferenceSignals()
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
    QTRY_COMPARE(receiver.table.rowCount(), 40);
    QTRY_COMPARE(receiver.channel.getChannelIndex(), 3);
    thread.quit();
    thread.wait();

    QCOMPARE(receiver.tableThread, QThread::currentThread());
    QCOMPARE(receiver.table.cellAt(39, 1).getPath(), QStringLiteral("$.CONF[39].VAL"));
    QCOMPARE(receiver.table.getIdxPath(), QStringLiteral("$.CLNT.IDX"));
    QCOMPARE(receiver.channel.getFunctionTables().at(0).rowCount(), 40);
}

QTEST_GUILESS_MAIN(TestTableModel)
#include "tst_tablemodel.moc"
