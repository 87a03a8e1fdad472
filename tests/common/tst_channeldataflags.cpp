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
    void leftFlags_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("bits");
        QTest::newRow("letters, unknowns and a number") << R"(["O", "h", "Q", 5])" << 0x1001;
        QTest::newRow("repeated and case-sensitive") << R"(["H", "H", "h", "l", "L"])" << (0x400 | 0x1000 | 0x2000 | 0x800);
        QTest::newRow("sensor break") << R"(["-"])" << 0x4;
        QTest::newRow("whole strings only") << R"(["OU", ""])" << 0;
        QTest::newRow("not an array") << R"({"O": true})" << 0;
    }

    void leftFlags()
    {
        QFETCH(QString, status);
        QFETCH(int, bits);
        QCOMPARE(ChannelDataFlags::parseLeftFlags(parse(status.toUtf8().constData())), bits);
    }

    void rightFlags_data()
    {
        QTest::addColumn<QString>("flags");
        QTest::addColumn<int>("bits");
        QTest::newRow("true names of the map") << R"({"CT": true, "CJ": false, "XYZ": true})" << 0x80;
        QTest::newRow("only booleans count") << R"({"REL": 1, "DAMP": "true", "AFA": true})" << 0x1;
        QTest::newRow("not an object") << R"(["CT"])" << 0;
    }

    void rightFlags()
    {
        QFETCH(QString, flags);
        QFETCH(int, bits);
        QCOMPARE(ChannelDataFlags::parseRightFlags(parse(flags.toUtf8().constData())), bits);
    }
};

QTEST_GUILESS_MAIN(TestChannelDataFlags)
#include "tst_channeldataflags.moc"
