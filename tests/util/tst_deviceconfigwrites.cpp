// Writing configuration cells back: the table is built from the simulator's
// own description of the general settings, cells are edited and saved, and
// the configuration telegram carries each value in the form its input mode
// sends, the elements in path order.
#include "ConfigMirrorFixture.h"

#include "common/CommonJSONUtil.h"
#include "common/ZZJSON.h"

#include <QFileInfo>
#include <QtTest>

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
    ConfigMirrorFixture fixture;
    DeviceConfigUtil util;
    TableStructure table;

    // Saves a copy of the table with the given cells edited; the SET elements sent for it.
    Json::Value save(const QList<QPair<QString, QVariant>>& edits)
    {
        TableStructure edited = table;
        for (const auto& edit : edits) {
            for (int row = 0; row < table.rowCount(); ++row)
                for (int column = 0; column < table.rowAt(row).size(); ++column)
                    if (table.cellAt(row, column).getPath() == node + "." + edit.first + ".VAL") {
                        edited.getRow(row)[column].setValue(edit.second);
                        edited.getRow(row)[column].setChanged(true);
                    }
        }
        fixture.takeQueuedReads();
        util.saveConfig(edited);
        int kind = 0;
        return fixture.takeTelegram(kind)["INST"]["SET"]["VAL"];
    }

    int typeOf(const QString& key)
    {
        for (int row = 0; row < table.rowCount(); ++row)
            for (const TableCell& cell : table.rowAt(row))
                if (cell.getPath() == node + "." + key + ".VAL")
                    return cell.getCellType();
        return -1;
    }

private slots:
    void initTestCase()
    {
        const QString tree = QFileInfo(QStringLiteral(__FILE__)).absolutePath()
                             + QStringLiteral("/../../tools/devicesim/device_tree.json");
        const Json::Value device = CommonJSONUtil(tree, nullptr).getSnapshot();
        fixture.login();
        fixture.fill(node, ZZJSON::toQString(device["DISP"]["GEN"]["MEN"]));
        fixture.fill(QStringLiteral("$.SERV.LIST"), ZZJSON::toQString(device["SERV"]["LIST"]));
        table = ConfigMirrorFixture::build(util, node);
        QVERIFY(table.rowCount() > 0);
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

        QCOMPARE(typeOf(key), type);
        Json::Value expected(Json::arrayValue);
        expected.append(setElement(key, parse(sent)));
        QCOMPARE(ZZJSON::toQString(save({{key, input}})), ZZJSON::toQString(expected));
    }

    void threeCellsInPathOrder()
    {
        Json::Value expected(Json::arrayValue);
        expected.append(setElement("BEEP", Json::Value(false)));
        expected.append(setElement("NAME", Json::Value("Halle 4")));
        expected.append(setElement("RATE", Json::Value("15")));
        QCOMPARE(ZZJSON::toQString(save({{"RATE", QVariant("15")}, {"NAME", QVariant(" Halle 4 ")}, {"BEEP", QVariant(false)}})),
                 ZZJSON::toQString(expected));
    }
};

QTEST_GUILESS_MAIN(TestDeviceConfigWrites)
#include "tst_deviceconfigwrites.moc"
