// The JSON documents of the program: queries, parsing and the path helpers of
// a document owner; telegram texts as they go on the wire; and log texts, in
// which token and passwords never appear and huge texts are cut.
#include "LogCapture.h"

#include "common/CommonJSONUtil.h"
#include "common/GlobalEnums.h"
#include "common/LogRedaction.h"
#include "common/PathRelation.h"
#include "common/TelegramBuilder.h"
#include "common/ZZJSON.h"

#include <QTemporaryDir>
#include <QtTest>

#include <tuple>

namespace {

Json::Value parse(const char* text)
{
    Json::Value value;
    Json::Reader().parse(text, value);
    return value;
}

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

class TestCommonJson : public QObject
{
    Q_OBJECT

private slots:
    // A file is written as the document holds it, whole, and read back the same.
    void savedFileReadsBackUnchanged()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("saved.json"));
        Json::Value tree;
        tree["MENU"][0]["NAME"] = "Men\u00fc";
        tree["MENU"][0]["PASS"] = "kept";
        CommonJSONUtil document(tree, nullptr);
        QVERIFY(document.saveJson(path));
        CommonJSONUtil reread(path, nullptr);
        QCOMPARE(reread.getFileState(), CommonJSONUtil::FILE_PARSED);
        QCOMPARE(reread.getSnapshot(), tree);
        QVERIFY(!document.saveJson(folder.filePath(QStringLiteral("missing/saved.json"))));
    }

    // Nothing half-built is left behind and the token is not logged.
    void failedParseLogsWithoutToken()
    {
        for (const QByteArray& data : {QByteArray("{\"CLNT\":{\"TOKN\":\"s3cret\""),
                                       QByteArray(3000, '[') + QByteArray(3000, ']')}) {
            LogCapture log;
            Json::Value value(42);
            QVERIFY(!CommonJSONUtil::getJsonFromByteArray(data, value));
            QVERIFY(value.isNull());
            QCOMPARE(log.matching(QStringLiteral("Problem while parse JSON: \n")).size(), 1);
            QVERIFY(!log.all().contains(QStringLiteral("s3cret")));
        }
    }

    void pathHelpers()
    {
        QCOMPARE(CommonJSONUtil::getGenericPath("$.DATA.CH[3].MVTB[12].MW"), QStringLiteral("$.DATA.CH[*].MVTB[*].MW"));
        Json::Value out("sentinel");
        QVERIFY(CommonJSONUtil::getValueByKeyPath(parse(R"({"A":{"B":7}})"), out, "A..B") && out == 7);
        QVERIFY(!CommonJSONUtil::getValueByKeyPath(parse("[1]"), out, "A"));
        QVERIFY(!CommonJSONUtil::getValueByKeyPath(parse(R"({"A":3})"), out, "A.B"));

        QVERIFY(pathsRelated("$.MEM", "$.MEM.MTAB[2].ID") && pathsRelated("$.L[1]", "$.L") && !pathsRelated("$.L", "$.LX"));
        // (outer, path, outer covers path, the two overlap)
        const std::tuple<const char*, const char*, bool, bool> relations[] = {
            {"$.L[*].A", "$.L[2].A.B", true, true},  {"$.L[*].A", "$.L[*].A", true, true},
            {"$.L[*].A.VAL", "$.L[*].A", false, true}, {"$.L[*].A", "$.L[2].AB", false, false},
            {"$.L[1].A", "$.L[*].A", false, true},   {"$.L[1].A", "$.L[2]", false, false},
            {"$.L", "$.L[?(@.ID==1)]", true, true}};
        for (const auto& [outer, path, covers, overlap] : relations) {
            QVERIFY2(pathCovers(outer, path) == covers, path);
            QVERIFY2(pathsOverlap(outer, path) == overlap && pathsOverlap(path, outer) == overlap, path);
        }
    }

    void queriesAndAppends()
    {
        Json::Value tree = parse(R"({"A":[{"ID":5},{"ID":7}],"B":{"b":1},"CLNT":{"TOKN":"s3cret"}})");
        tree["BIG"] = std::string(50000, 'x');
        CommonJSONUtil util(tree, nullptr);
        QVector<Json::Value> values;
        QVector<QString> paths;
        QVERIFY(util.getJSONbyPath(QStringLiteral("$.A[*].ID"), values, paths));
        QCOMPARE(paths, (QVector<QString>{QStringLiteral("$.A[0].ID"), QStringLiteral("$.A[1].ID")}));
        // A single-value query with several hits leaves the value alone.
        Json::Value value("unchanged");
        QVERIFY(util.getJSONbyPath(QStringLiteral("$.A[*]"), value) && value == "unchanged");

        // A failed query is logged once, without the token and capped.
        LogCapture log;
        QVERIFY(!util.getJSONbyPath(QStringLiteral("$.B[0]"), values));
        const QStringList warnings = log.matching(QStringLiteral("Failure during access at JSON Path: $.B[0] JSON:\n"));
        QCOMPARE(warnings.size(), 1);
        QVERIFY(!warnings.first().contains(QStringLiteral("s3cret")) && warnings.first().size() < 10000);

        util.appendJson(Json::Value(5), QStringLiteral("$.B.C"));
        util.appendJson(Json::Value(6), QStringLiteral("NOT.A.PATH"));
        QCOMPARE(util.getSnapshot()["B"], parse(R"({"b":1,"C":5})"));
        QCOMPARE(util.getSnapshot().size(), 4u);   // nothing added for a text that is no path
    }

    // Plain literals: moc loses its way in raw strings that end in a quote.
    void redactToken()
    {
        const std::pair<QString, QString> rows[] = {
            {"{\"CLNT\":{\"TOKN\":\"7f3a9c\",\"US\":1}}", "{\"CLNT\":{\"TOKN\":\"***\",\"US\":1}}"},
            {"{\"TOKN\":12345,\"A\":2}", "{\"TOKN\":\"***\",\"A\":2}"},   // a numeric token
            {"Error transferring http://h:1/webservice/path?TOKN=abc - server replied: Not Found",
             "Error transferring http://h:1/webservice/path?TOKN=*** - server replied: Not Found"},
            {"{\"CLNT\":{\"TOKN\":\"7f3a9c0d", "{\"CLNT\":{\"TOKN\":\"***\""},   // an answer cut inside the token
            {"{\"VAL\":{\"NAME\":\"bob\",\"PW\":\"g\\\"eh\\\\eim\",\"ID\":-1}}", "{\"VAL\":{\"NAME\":\"bob\",\"PW\":\"***\",\"ID\":-1}}"},
            {"login?USER=a&PASS=x1&PW=y2", "login?USER=a&PASS=***&PW=***"},
            // A password object, an array and JSON inside a string.
            {"{\"PW\":{\"a\":\"x}\"},\"PASS\" : [\"y\",1],\"LOG\":\"{\\\"PW\\\":\\\"z\\\\\\\"w\\\"}\"}",
             "{\"PW\":\"***\",\"PASS\" : \"***\",\"LOG\":\"{\\\"PW\\\":\\\"***\\\"}\"}"},
            {"{\"XPW\":\"a\",\"PWD\":\"b\"} CPW=c", "{\"XPW\":\"a\",\"PWD\":\"b\"} CPW=c"},   // names that only end alike
        };
        for (const auto& [text, expected] : rows)
            QCOMPARE(LogRedaction::redactToken(text), expected);
    }

    // Each key the log hides, alone in the text: no other key's redaction hides it along.
    void eachSecretKeyHiddenAlone_data()
    {
        QTest::addColumn<QString>("logged");
        for (const char* key : {"TOKN", "PW", "PASS"}) {
            QTest::addRow("%s in JSON", key) << QStringLiteral("{\"NAME\":\"bob\",\"%1\":\"s3cr3t\"}").arg(key);
            QTest::addRow("%s in a URL query", key)
                << QStringLiteral("http://h:1/webservice/user?ID=3&%1=s3cr3t&X=1 - server replied: Not Found").arg(key);
        }
    }

    void eachSecretKeyHiddenAlone()
    {
        QFETCH(QString, logged);
        const QString expected = QString(logged).replace(QStringLiteral("s3cr3t"), QStringLiteral("***"));
        QCOMPARE(LogRedaction::forLog(logged), expected);
        // A tree written to a file hides the same keys.
        if (logged.startsWith(QLatin1Char('{'))) {
            Json::Value tree = parse(logged.toUtf8().constData());
            LogRedaction::maskSecrets(tree);
            QCOMPARE(tree, parse(expected.toUtf8().constData()));
        }
    }

    void forLogCutsLongTexts()
    {
        const QString longText = "{\"TOKN\":\"secret\",\"X\":\"" + QString(10000, QLatin1Char('a')) + "\"}";
        const QString logged = LogRedaction::forLog(longText, 100);
        QVERIFY(logged.startsWith("{\"TOKN\":\"***\"") && logged.size() < 200);
        QCOMPARE(LogRedaction::forLog(QStringLiteral("short"), 100), QStringLiteral("short"));
    }

    void wireText()
    {
        const struct { const char *name; RequestType kind; const char *path, *value; int mode; QString expected; } rows[] = {
            {"read of $.IPTH", REQUEST_PATH, "$.IPTH", "", GlobalEnums::GET,
             wire("", R"({"DEST":{"PATH":"$.IPTH"},"MODE":0})", "")},
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
        QCOMPARE(textOf(request),
                 wire("", "", "", R"({"MID":9007199254740993,"MTYP":1,"MUID":-5000000000,"USER":"admin","VAL":1})"));
    }
};

QTEST_GUILESS_MAIN(TestCommonJson)
#include "tst_commonjson.moc"
