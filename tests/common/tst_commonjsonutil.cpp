// Queries, parsing and the path helpers of a JSON document owner.
#include "LogCapture.h"

#include "common/CommonJSONUtil.h"

#include <QTemporaryDir>
#include <QtTest>

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

    void failedParseLogsWithoutToken_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("garbage") << QByteArray("garbage{");
        QTest::newRow("truncated") << QByteArray("{\"CLNT\":{\"TOKN\":\"s3cret\"");
        QTest::newRow("deep nesting") << (QByteArray(3000, '[') + QByteArray(3000, ']'));
    }

    void failedParseLogsWithoutToken()
    {
        QFETCH(QByteArray, data);
        LogCapture log;
        Json::Value value(42);
        QVERIFY(!CommonJSONUtil::getJsonFromByteArray(data, value));
        QVERIFY(value.isNull());   // nothing half-built is left behind
        QCOMPARE(log.matching(QStringLiteral("Problem while parse JSON: \n")).size(), 1);
        QVERIFY(!log.all().contains(QStringLiteral("s3cret")));
    }

    void pathHelpers()
    {
        QCOMPARE(CommonJSONUtil::getGenericPath("$.DATA.CH[3].MVTB[12].MW"), QStringLiteral("$.DATA.CH[*].MVTB[*].MW"));
        QCOMPARE(CommonJSONUtil::getGenericPath("$.L[]"), QStringLiteral("$.L[]"));

        Json::Value out("sentinel");
        QVERIFY(CommonJSONUtil::getValueByKeyPath(parse("{\"A\":{\"B\":7}}"), out, "A..B"));
        QCOMPARE(out.asInt(), 7);
        QVERIFY(!CommonJSONUtil::getValueByKeyPath(parse("[1]"), out, "A"));
        QVERIFY(!CommonJSONUtil::getValueByKeyPath(parse("{\"A\":3}"), out, "A.B"));
    }

    void queries()
    {
        CommonJSONUtil util(parse("{\"A\":[{\"ID\":5},{\"ID\":7}],\"B\":{\"b\":1}}"), nullptr);

        QVector<Json::Value> values;
        QVector<QString> paths;
        QVERIFY(!util.getJSONbyPath(QString(), values, paths));
        QVERIFY(util.getJSONbyPath(QStringLiteral("$.A[*].ID"), values, paths));
        QCOMPARE(values.size(), 2);
        QCOMPARE(paths, (QVector<QString>{QStringLiteral("$.A[0].ID"), QStringLiteral("$.A[1].ID")}));
        QVERIFY(!util.getJSONbyPath(QStringLiteral("$.NOPE"), values));
        QVERIFY(values.isEmpty());

        // A single-value query with several hits leaves the value alone.
        LogCapture log;
        Json::Value value("unchanged");
        QVERIFY(util.getJSONbyPath(QStringLiteral("$.A[*]"), value));
        QCOMPARE(QString::fromStdString(value.asString()), QStringLiteral("unchanged"));
        QCOMPARE(log.matching(QStringLiteral("It was returned more than 1 JSON-Object $.A[*]")).size(), 1);
    }

    void failedQueryLogsPathWithoutTokenAndCapped()
    {
        Json::Value tree = parse("{\"B\":{\"b\":1},\"CLNT\":{\"TOKN\":\"s3cret\"}}");
        tree["BIG"] = std::string(50000, 'x');
        CommonJSONUtil util(tree, nullptr);

        LogCapture log;
        QVector<Json::Value> values;
        QVERIFY(!util.getJSONbyPath(QStringLiteral("$.B[0]"), values));
        const QStringList warnings = log.matching(QStringLiteral("Failure during access at JSON Path: $.B[0] JSON:\n"));
        QCOMPARE(warnings.size(), 1);
        QVERIFY(!warnings.first().contains(QStringLiteral("s3cret")));
        QVERIFY(warnings.first().size() < 10000);
    }

    void appendJson()
    {
        CommonJSONUtil util(parse("{\"A\":{\"C\":1}}"), nullptr);
        util.appendJson(Json::Value(5), QStringLiteral("$.A.B"));
        const Json::Value tree = util.getSnapshot();
        QCOMPARE(tree["A"]["B"].asInt(), 5);
        QCOMPARE(tree["A"]["C"].asInt(), 1);

        LogCapture log;
        util.appendJson(Json::Value(5), QStringLiteral("NOT.A.PATH"));
        QCOMPARE(log.matching(QStringLiteral("JSON telegram could not be added to MasterJSON \n")).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCommonJSONUtil)
#include "tst_commonjsonutil.moc"
