// Writing configuration cells back, end to end: the table is built from the
// simulator's own description, a cell is edited and saved, and the
// configuration telegrams the simulator received carry the value in the
// form each input mode sends.
#include "ConfigMirrorFixture.h"
#include "DeviceLinkFixture.h"

#include <QtTest>

#include <memory>

namespace {

const QString node = QStringLiteral("$.DISP.GEN.MEN");

Json::Value setElement(const QString& key, const Json::Value& value)
{
    Json::Value element;
    element["DEST"]["DEV"] = 1;
    element["DEST"]["PATH"] = (node + "." + key + ".VAL").toStdString();
    element["DEST"]["PROP"] = "";
    element["MODE"] = 0;
    element["VAL"] = value;
    return element;
}

} // namespace

class TestDeviceConfigWrites : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DeviceLinkFixture> link;
    std::unique_ptr<DeviceConfigUtil> util;
    TableStructure table;

    // Row and column of the input cell of the entry key.
    bool findInput(const QString& key, int& row, int& column)
    {
        const QString path = node + "." + key + ".VAL";
        for (row = 0; row < table.rowCount(); ++row)
            for (column = 0; column < table.rowAt(row).size(); ++column)
                if (table.cellAt(row, column).getPath() == path)
                    return true;
        return false;
    }

    // Saves a copy of the table with the given cells edited; the SET elements
    // the simulator received for it, once count of them arrived.
    Json::Value save(const QList<QPair<QString, QVariant>>& edits, int count)
    {
        TableStructure edited = table;
        for (const auto& edit : edits) {
            int row = 0;
            int column = 0;
            if (!findInput(edit.first, row, column))
                return Json::Value();
            TableCell& cell = edited.getRow(row)[column];
            cell.setValue(edit.second);
            cell.setChanged(true);
        }
        link->simulator.clearRequestLog();
        util->saveConfig(edited);

        Json::Value elements(Json::arrayValue);
        DeviceLinkFixture::waitUntil([&] {
            elements = Json::Value(Json::arrayValue);
            for (const Json::Value& request : link->requests(QStringLiteral("config"))) {
                const Json::Value telegram = parse(QString::fromStdString(request["body"].asString()));
                for (const Json::Value& element : telegram["INST"]["SET"]["VAL"])
                    elements.append(element);
            }
            return int(elements.size()) >= count;
        });
        return elements;
    }

private slots:
    void initTestCase()
    {
        link.reset(new DeviceLinkFixture());
        QVERIFY(link->setUp());
        QVERIFY(link->startSession());
        link->json()->requestPath(QStringLiteral("$.DISP"));
        QVERIFY(DeviceLinkFixture::waitUntil([&] { return link->mirror(node).isObject(); }));

        util.reset(new DeviceConfigUtil());
        table = ConfigMirrorFixture::build(*util, node);
        QVERIFY(table.rowCount() > 0);
    }

    void cleanupTestCase()
    {
        util.reset();
        link.reset();
    }

    void encodings_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<QString>("sent");

        QTest::newRow("number as typed") << "RATE" << 2 << QVariant("0012") << "\"0012\"";
        QTest::newRow("empty number") << "RATE" << 2 << QVariant("") << "null";
        QTest::newRow("text trimmed") << "NAME" << 3 << QVariant(" x ") << "\"x\"";
        QTest::newRow("radio index") << "DMOD" << 9 << QVariant(2) << "2";
        QTest::newRow("combo text") << "TUNIT" << 11 << QVariant("K") << "\"K\"";
        QTest::newRow("time in its format") << "TOFF" << 6 << QVariant(QTime(23, 15)) << "\"23:15\"";
        QTest::newRow("date in its format") << "DATE" << 7 << QVariant(QDate(2026, 3, 6)) << "\"06.03.2026\"";
    }

    void encodings()
    {
        QFETCH(QString, key);
        QFETCH(int, type);
        QFETCH(QVariant, input);
        QFETCH(QString, sent);

        int row = 0;
        int column = 0;
        QVERIFY(findInput(key, row, column));
        QCOMPARE(int(table.cellAt(row, column).getCellType()), type);

        const Json::Value elements = save({{key, input}}, 1);
        Json::Value expected(Json::arrayValue);
        expected.append(setElement(key, parse(sent)));
        QCOMPARE(QString::fromStdString(elements.toStyledString()), QString::fromStdString(expected.toStyledString()));
    }

    void threeCellsInPathOrder()
    {
        const Json::Value elements =
            save({{"RATE", QVariant("15")}, {"NAME", QVariant(" Halle 4 ")}, {"BEEP", QVariant(false)}}, 3);
        Json::Value expected(Json::arrayValue);
        expected.append(setElement("BEEP", Json::Value(false)));
        expected.append(setElement("NAME", Json::Value("Halle 4")));
        expected.append(setElement("RATE", Json::Value("15")));
        QCOMPARE(QString::fromStdString(elements.toStyledString()), QString::fromStdString(expected.toStyledString()));
    }
};

QTEST_GUILESS_MAIN(TestDeviceConfigWrites)
#include "tst_deviceconfigwrites.moc"
