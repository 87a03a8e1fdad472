// Status letters and function flags of a channel as bit words.
#include "common/ChannelDataFlags.h"

#include <json/json.h>

#include <QtTest>

namespace {

Json::Value parse(const char* text)
{
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

} // namespace

class TestChannelDataFlags : public QObject
{
    Q_OBJECT

private slots:
    void flags_data()
    {
        QTest::addColumn<bool>("left");   // status letters; otherwise function flags
        QTest::addColumn<QString>("json");
        QTest::addColumn<int>("bits");
        QTest::newRow("letters, unknowns and a number") << true << R"(["O", "h", "Q", 5])" << 0x1001;
        QTest::newRow("repeated and case-sensitive") << true << R"(["H", "H", "h", "l", "L", "-"])" << 0x3C04;
        QTest::newRow("whole strings only") << true << R"(["OU", ""])" << 0;
        QTest::newRow("letters not an array") << true << R"({"O": true})" << 0;
        QTest::newRow("true names of the map") << false << R"({"CT": true, "CJ": false, "XYZ": true})" << 0x80;
        QTest::newRow("only booleans count") << false << R"({"REL": 1, "DAMP": "true", "AFA": true})" << 0x1;
        QTest::newRow("flags not an object") << false << R"(["CT"])" << 0;
    }

    void flags()
    {
        QFETCH(bool, left);
        QFETCH(QString, json);
        QFETCH(int, bits);
        const Json::Value value = parse(json.toUtf8().constData());
        QCOMPARE(left ? ChannelDataFlags::parseLeftFlags(value) : ChannelDataFlags::parseRightFlags(value), bits);
    }
};

QTEST_GUILESS_MAIN(TestChannelDataFlags)
#include "tst_channeldataflags.moc"
