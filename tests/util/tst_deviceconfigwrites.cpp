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

    // Each input mode's value as it is sent: the cell type, what was entered, the value in the telegram.
    void encodings()
    {
        const struct { const char* key; int type; QVariant input; const char* sent; } rows[] = {
            {"RATE", 2, "0012", "\"0012\""},                 // a number as typed
            {"RATE", 2, "", "null"},                          // no number
            {"NAME", 3, " x ", "\"x\""},                      // text trimmed
            {"DMOD", 9, 2, "2"},                              // radio index
            {"TUNIT", 11, "K", "\"K\""},                      // combo text
            {"TOFF", 6, QTime(23, 15), "\"23:15\""},          // time in its format
            {"DATE", 7, QDate(2026, 3, 6), "\"06.03.2026\""}};   // date in its format
        for (const auto& row : rows) {
            QVERIFY2(typeOf(row.key) == row.type, row.key);
            Json::Value expected(Json::arrayValue);
            expected.append(setElement(row.key, parse(row.sent)));
            QCOMPARE(ZZJSON::toQString(save({{row.key, row.input}})), ZZJSON::toQString(expected));
        }
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
