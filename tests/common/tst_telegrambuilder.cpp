// Telegram texts as they go on the wire, and the element each request type and
// mode produces.
#include "common/GlobalEnums.h"
#include "common/TelegramBuilder.h"
#include "common/ZZJSON.h"

#include <QtTest>

namespace {

QString textOf(const TelegramRequest& request)
{
    Json::Value telegram = TelegramBuilder::makeTemplate();
    TelegramBuilder::appendRequest(telegram, request);
    return ZZJSON::toQString(telegram);
}

} // namespace

class TestTelegramBuilder : public QObject
{
    Q_OBJECT

private slots:
    void wireText_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("valueText");   // JSON text, empty for null
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("expected");

        const QString empty = QStringLiteral("{\"INST\":{\"DEL\":{\"VAL\":[]},\"GET\":{\"VAL\":[]},\"SET\":{\"MSG\":[],\"VAL\":[]}}}\n");

        QTest::newRow("read of $.IPTH") << int(REQUEST_PATH) << "$.IPTH" << "" << int(GlobalEnums::GET)
            << "{\"INST\":{\"DEL\":{\"VAL\":[]},\"GET\":{\"VAL\":[{\"DEST\":{\"PATH\":\"$.IPTH\"},\"MODE\":0}]},\"SET\":{\"MSG\":[],\"VAL\":[]}}}\n";
        QTest::newRow("config set") << int(REQUEST_CONFIG) << "$.DISP.SR.VAL" << "100" << int(GlobalEnums::SET)
            << "{\"INST\":{\"DEL\":{\"VAL\":[]},\"GET\":{\"VAL\":[]},\"SET\":{\"MSG\":[],\"VAL\":[{\"DEST\":{\"DEV\":1,\"PATH\":\"$.DISP.SR.VAL\",\"PROP\":\"\"},\"MODE\":0,\"VAL\":100}]}}}\n";
        QTest::newRow("config delete") << int(REQUEST_CONFIG) << "$.MEM.LIST[2]" << "" << int(GlobalEnums::DEL)
            << "{\"INST\":{\"DEL\":{\"VAL\":[{\"DEST\":{\"PATH\":\"$.MEM.LIST[2]\"},\"MODE\":0}]},\"GET\":{\"VAL\":[]},\"SET\":{\"MSG\":[],\"VAL\":[]}}}\n";
        QTest::newRow("config read adds nothing") << int(REQUEST_CONFIG) << "$.A" << "1" << int(GlobalEnums::GET) << empty;
        QTest::newRow("export read with filter") << int(REQUEST_EXPORT) << "$.EXP" << "[1,2]" << int(GlobalEnums::GET)
            << "{\"INST\":{\"DEL\":{\"VAL\":[]},\"GET\":{\"VAL\":[{\"DEST\":{\"PATH\":\"$.EXP\"},\"MODE\":0,\"VAL\":[1,2]}]},\"SET\":{\"MSG\":[],\"VAL\":[]}}}\n";
        QTest::newRow("non-ASCII is escaped") << int(REQUEST_CONFIG) << "$.A" << "\"M\\u00fcller\"" << int(GlobalEnums::SET)
            << "{\"INST\":{\"DEL\":{\"VAL\":[]},\"GET\":{\"VAL\":[]},\"SET\":{\"MSG\":[],\"VAL\":[{\"DEST\":{\"DEV\":1,\"PATH\":\"$.A\",\"PROP\":\"\"},\"MODE\":0,\"VAL\":\"M\\u00fcller\"}]}}}\n";
    }

    void wireText()
    {
        QFETCH(int, kind);
        QFETCH(QString, path);
        QFETCH(QString, valueText);
        QFETCH(int, mode);
        QFETCH(QString, expected);

        Json::Value value;
        if (!valueText.isEmpty())
            QVERIFY(Json::Reader().parse(valueText.toStdString(), value));
        TelegramRequest request;
        request.kind = static_cast<RequestType>(kind);
        request.path = path;
        request.value = value;
        request.mode = mode;
        QCOMPARE(textOf(request), expected);
    }

    // Ids beyond 2^53 and 2^32 go out exactly.
    void messageAnswerKeepsSixtyFourBitIds()
    {
        TelegramRequest request;
        request.kind = REQUEST_MESSAGE;
        request.user = QStringLiteral("admin");
        request.mid = Q_INT64_C(9007199254740993);
        request.muid = Q_INT64_C(-5000000000);
        request.mtyp = 1;
        request.value = Json::Value(1);
        QCOMPARE(textOf(request),
                 QStringLiteral("{\"INST\":{\"DEL\":{\"VAL\":[]},\"GET\":{\"VAL\":[]},\"SET\":{\"MSG\":[{\"MID\":9007199254740993,\"MTYP\":1,\"MUID\":-5000000000,\"USER\":\"admin\",\"VAL\":1}],\"VAL\":[]}}}\n"));
    }
};

QTEST_GUILESS_MAIN(TestTelegramBuilder)
#include "tst_telegrambuilder.moc"
