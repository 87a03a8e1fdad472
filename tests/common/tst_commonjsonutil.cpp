// Queries, parsing and the path helpers of a JSON document owner.
#include "LogCapture.h"

#include "common/CommonJSONUtil.h"
#include "common/PathRelation.h"

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

} // namespace

class TestCommonJSONUtil : public QObject
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
};

QTEST_GUILESS_MAIN(TestCommonJSONUtil)
#include "tst_commonjsonutil.moc"
