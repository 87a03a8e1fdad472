// The table value types: cell equality (which decides what a partial rebuild
// redraws), header keys, copies that stay apart, and tables crossing threads
// through queued signals that pass them by reference.

#include "common/ChannelData.h"
#include "common/TableStructure.h"

#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <cmath>
#include <functional>
#include <limits>

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
    table.setTitle(QStringLiteral("Konfiguration"));
    table.setTableType(TableStructure::STAB);
    table.setHeaderVisible(true);
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
    table.setContPath(QStringLiteral("$.CONF[0]"));
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
    void cellWithInvalidDataNeverEquals();
    void headerKey_data();
    void headerKey();
    void rowChangesStayInTheirTable();
    void assignmentCopiesEveryField();
    void tablesCrossThreadsByReferenceSignals();
};

void TestTableModel::newValuesHaveTheirDefaults()
{
    const TableEntry entry;
    QVERIFY(entry.getData().isValid());
    QCOMPARE(entry.getData().toString(), QString(""));
    QCOMPARE(entry.getValue().toString(), QString(""));
    const TableEntry header(QStringLiteral("Kanal"));
    QCOMPARE(header.getValue().toString(), QStringLiteral("Kanal"));
    QCOMPARE(header.getData().toString(), QString(""));

    const TableCell cell;
    QCOMPARE(cell.getCellType(), TableCell::NONE);
    QCOMPARE(cell.getAlignment(), 0x81);
    QCOMPARE(cell.getColumnSpan(), 1);
    QCOMPARE(cell.getRowSpan(), 1);
    QCOMPARE(cell.getRights(), 0);
    QVERIFY(!cell.isChanged());

    // Validators apply to ROWS tables only, so a table whose producer never
    // sets the kind must be one.
    const TableStructure table;
    QCOMPARE(table.getTableType(), int(TableStructure::ROWS));
    QVERIFY(!table.getHeaderVisible());
    QVERIFY(table.getHeader().isEmpty());
    QCOMPARE(table.rowCount(), 0);

    const ChannelData channel;
    QCOMPARE(channel.getChannelIndex(), -1);
    QCOMPARE(channel.getTable().getTableType(), int(TableStructure::ROWS));
}

void TestTableModel::cellEquality_data()
{
    QTest::addColumn<CellChange>("change");
    QTest::addColumn<bool>("equal");

    QTest::newRow("unchanged copy") << CellChange([](TableCell&) {}) << true;
    QTest::newRow("changed flag") << CellChange([](TableCell& c) { c.setChanged(true); }) << true;
    QTest::newRow("alignment") << CellChange([](TableCell& c) { c.setAlignment(0x84); }) << true;
    QTest::newRow("path") << CellChange([](TableCell& c) { c.setPath("$.X"); }) << false;
    QTest::newRow("type") << CellChange([](TableCell& c) { c.setCellType(TableCell::TEXT_EDIT); }) << false;
    QTest::newRow("rights") << CellChange([](TableCell& c) { c.setRights(1); }) << false;
    QTest::newRow("column span") << CellChange([](TableCell& c) { c.setColumnSpan(2); }) << false;
    QTest::newRow("row span") << CellChange([](TableCell& c) { c.setRowSpan(2); }) << false;
    QTest::newRow("max") << CellChange([](TableCell& c) { c.setMax(99.0); }) << false;
    QTest::newRow("min") << CellChange([](TableCell& c) { c.setMin(-1.0); }) << false;
    QTest::newRow("NaN max") << CellChange([](TableCell& c) { c.setMax(std::nan("")); }) << false;
    QTest::newRow("dg") << CellChange([](TableCell& c) { c.setDg(4); }) << false;
    QTest::newRow("dp") << CellChange([](TableCell& c) { c.setDp(2); }) << false;
    QTest::newRow("limit flags") << CellChange([](TableCell& c) { c.setLimitFlags(TableCell::DP); }) << false;
    QTest::newRow("regx") << CellChange([](TableCell& c) { c.setRegx("^[0-9]$"); }) << false;
    QTest::newRow("data") << CellChange([](TableCell& c) { c.setData(QStringList{"a"}); }) << false;
    QTest::newRow("value") << CellChange([](TableCell& c) { c.setValue("13"); }) << false;
    QTest::newRow("value invalid") << CellChange([](TableCell& c) { c.setValue(QVariant()); }) << false;
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

void TestTableModel::cellWithInvalidDataNeverEquals()
{
    TableCell cell = sampleCell();
    QVERIFY(cell == TableCell(cell));
    cell.setData(QVariant());
    const TableCell copy = cell;
    QVERIFY(!(cell == copy));
    QVERIFY(!(cell == cell));

    // Two cells without a value are equal as long as their data is valid.
    TableCell noValue;
    noValue.setValue(QVariant());
    QVERIFY(noValue == TableCell(noValue));
}

void TestTableModel::headerKey_data()
{
    QTest::addColumn<QVariantList>("texts");
    QTest::addColumn<QString>("key");
    QTest::newRow("three") << QVariantList{"A", "B", "C"} << QStringLiteral("A;B;C");
    QTest::newRow("one") << QVariantList{"A"} << QStringLiteral("A");
    QTest::newRow("none") << QVariantList{} << QString();
    QTest::newRow("empty texts") << QVariantList{"", ""} << QStringLiteral(";");
    QTest::newRow("numbers") << QVariantList{1, 2.5} << QStringLiteral("1;2.5");
}

void TestTableModel::headerKey()
{
    QFETCH(QVariantList, texts);
    QFETCH(QString, key);
    TableStructure table;
    QVector<TableEntry> header;
    for (const QVariant& text : texts)
        header.append(TableEntry(text));
    table.setHeader(header);
    QCOMPARE(table.getHeaderKey(QLatin1Char(';')), key);
}

void TestTableModel::rowChangesStayInTheirTable()
{
    TableStructure table = sampleTable(3);
    const TableStructure copy = table;
    table.getRow(1)[1].setValue(QStringLiteral("99"));
    table.getRow(1)[1].setChanged(true);

    QCOMPARE(table.cellAt(1, 1).getValue().toString(), QStringLiteral("99"));
    QVERIFY(table.cellAt(1, 1).isChanged());
    QCOMPARE(copy.cellAt(1, 1).getValue().toString(), QStringLiteral("12.5"));
    QVERIFY(!copy.cellAt(1, 1).isChanged());

    QVERIFY(table.contains(2, 1));
    QVERIFY(!table.contains(3, 0));
    QVERIFY(!table.contains(0, 2));
    QVERIFY(!table.contains(-1, 0));
}

void TestTableModel::assignmentCopiesEveryField()
{
    const TableStructure source = sampleTable(2);
    TableStructure target;
    target.setAut(7);
    target = source;
    QCOMPARE(target.getTitle(), source.getTitle());
    QCOMPARE(target.getAut(), source.getAut());
    QCOMPARE(target.getTableType(), int(TableStructure::STAB));
    QCOMPARE(target.getHeaderVisible(), true);
    QCOMPARE(target.getHeaderKey(';'), QStringLiteral("Name;Wert"));
    QCOMPARE(target.rowCount(), 2);
    QVERIFY(target.cellAt(1, 1) == source.cellAt(1, 1));
    QCOMPARE(target.getPath(), QStringLiteral("$.CONF"));
    QCOMPARE(target.getIdxPath(), QStringLiteral("$.CLNT.IDX"));
    QCOMPARE(target.getContPath(), QStringLiteral("$.CONF[0]"));
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
    QSignalSpy tables(&producer, &TableProducer::updateTableData);
    thread.start();

    QMetaObject::invokeMethod(&producer, "produce", Qt::QueuedConnection, Q_ARG(int, 40));
    QTRY_COMPARE(receiver.table.rowCount(), 40);
    QTRY_COMPARE(receiver.channel.getChannelIndex(), 3);
    thread.quit();
    thread.wait();

    QCOMPARE(receiver.tableThread, QThread::currentThread());
    QCOMPARE(tables.count(), 1);
    QCOMPARE(receiver.table.cellAt(39, 1).getPath(), QStringLiteral("$.CONF[39].VAL"));
    QCOMPARE(receiver.channel.getValue(), QStringLiteral("21.53"));
    QCOMPARE(receiver.channel.getFunctionTables().size(), 1);
    QCOMPARE(receiver.channel.getFunctionTables().at(0).rowCount(), 40);
}

QTEST_GUILESS_MAIN(TestTableModel)
#include "tst_tablemodel.moc"
