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

// The whole telegram around its lists' elements, as the client writes it.
QString wire(const char* deletes, const char* gets, const char* sets, const char* messages = "")
{
    return QStringLiteral(R"({"INST":{"DEL":{"VAL":[%1]},"GET":{"VAL":[%2]},"SET":{"MSG":[%4],"VAL":[%3]}}})" "\n")
        .arg(deletes, gets, sets, messages);
}

} // namespace

class TestTelegramBuilder : public QObject
{
    Q_OBJECT

private slots:
    void wireText()
    {
        const struct { const char* name; RequestType kind; const char* path; const char* value; int mode; QString expected; } rows[] = {
            {"read of $.IPTH", REQUEST_PATH, "$.IPTH", "", GlobalEnums::GET, wire("", R"({"DEST":{"PATH":"$.IPTH"},"MODE":0})", "")},
            {"config set", REQUEST_CONFIG, "$.DISP.SR.VAL", "100", GlobalEnums::SET,
             wire("", "", R"({"DEST":{"DEV":1,"PATH":"$.DISP.SR.VAL","PROP":""},"MODE":0,"VAL":100})")},
            {"config set of null", REQUEST_CONFIG, "$.A", "", GlobalEnums::SET,
             wire("", "", R"({"DEST":{"DEV":1,"PATH":"$.A","PROP":""},"MODE":0,"VAL":null})")},
            {"config delete", REQUEST_CONFIG, "$.MEM.LIST[2]", "", GlobalEnums::DEL,
             wire(R"({"DEST":{"PATH":"$.MEM.LIST[2]"},"MODE":0})", "", "")},
            {"config read adds nothing", REQUEST_CONFIG, "$.A", "1", GlobalEnums::GET, wire("", "", "")},
            {"export read with filter", REQUEST_EXPORT, "$.EXP", "[1,2]", GlobalEnums::GET,
             wire("", R"({"DEST":{"PATH":"$.EXP"},"MODE":0,"VAL":[1,2]})", "")},
            {"non-ASCII is escaped", REQUEST_CONFIG, "$.A", R"("M\u00fcller")", GlobalEnums::SET,
             wire("", "", R"({"DEST":{"DEV":1,"PATH":"$.A","PROP":""},"MODE":0,"VAL":"M\u00fcller"})")},
        };
        for (const auto& row : rows) {
            TelegramRequest request;
            request.kind = row.kind;
            request.path = QString::fromLatin1(row.path);
            QVERIFY(!*row.value || Json::Reader().parse(row.value, request.value));
            request.mode = row.mode;
            QVERIFY2(textOf(request) == row.expected, row.name);
        }
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
        QCOMPARE(textOf(request), wire("", "", "", R"({"MID":9007199254740993,"MTYP":1,"MUID":-5000000000,"USER":"admin","VAL":1})"));
    }
};

QTEST_GUILESS_MAIN(TestTelegramBuilder)
#include "tst_telegrambuilder.moc"
