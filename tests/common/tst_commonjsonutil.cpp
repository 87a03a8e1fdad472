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
    void parsesBytes_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<bool>("ok");

        QTest::newRow("object") << QByteArray("{\"a\":1}") << true;
        QTest::newRow("array") << QByteArray("[1,2]") << true;
        QTest::newRow("garbage") << QByteArray("garbage{") << false;
        QTest::newRow("truncated") << QByteArray("{\"CLNT\":{\"TOKN\":\"t\"") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("deep nesting") << (QByteArray(3000, '[') + QByteArray(3000, ']')) << false;
    }

    void parsesBytes()
    {
        QFETCH(QByteArray, data);
        QFETCH(bool, ok);

        LogCapture log;
        Json::Value value(42);
        QCOMPARE(CommonJSONUtil::getJsonFromByteArray(data, value), ok);
        if (!ok) {
            // A failed parse leaves nothing half-built behind.
            QVERIFY(value.isNull());
            QCOMPARE(log.matching(QStringLiteral("Problem while parse JSON: \n")).size(), 1);
        }
    }

    void parseWarningHidesToken()
    {
        LogCapture log;
        Json::Value value;
        QVERIFY(!CommonJSONUtil::getJsonFromByteArray("{\"CLNT\":{\"TOKN\":\"s3cret\"", value));
        QVERIFY(!log.all().contains(QStringLiteral("s3cret")));
    }

    void genericPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("indices") << "$.DATA.CH[3].MVTB[12].MW" << "$.DATA.CH[*].MVTB[*].MW";
        QTest::newRow("none") << "$.DATA.CH.MW" << "$.DATA.CH.MW";
        QTest::newRow("append marker kept") << "$.L[]" << "$.L[]";
    }

    void genericPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(CommonJSONUtil::getGenericPath(path), expected);
    }

    void valueByKeyPath_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("keyPath");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("expected");   // compact text of out; "untouched" for the sentinel

        QTest::newRow("walks A then B") << "{\"A\":{\"B\":7}}" << "A..B" << true << "7";
        QTest::newRow("empty key path") << "{\"A\":1}" << "" << true << "untouched";
        QTest::newRow("missing member") << "{\"A\":{}}" << "A.X" << true << "null";
        QTest::newRow("non-object source") << "[1]" << "A" << false << "untouched";
        QTest::newRow("scalar on the way") << "{\"A\":3}" << "A.B" << false << "3";
    }

    void valueByKeyPath()
    {
        QFETCH(QString, source);
        QFETCH(QString, keyPath);
        QFETCH(bool, ok);
        QFETCH(QString, expected);

        Json::Value out("sentinel");
        QCOMPARE(CommonJSONUtil::getValueByKeyPath(parse(source.toUtf8().constData()), out, keyPath), ok);
        if (expected == QLatin1String("untouched"))
            QCOMPARE(QString::fromStdString(out.asString()), QStringLiteral("sentinel"));
        else
            QCOMPARE(QString::fromStdString(Json::FastWriter().write(out)).trimmed(), expected);
    }

    void queries()
    {
        CommonJSONUtil util(parse("{\"A\":[{\"ID\":5},{\"ID\":7}],\"B\":{\"b\":1}}"), nullptr);

        QVector<Json::Value> values;
        QVector<QString> paths;
        QVERIFY(!util.getJSONbyPath(QString(), values, paths));

        QVERIFY(util.getJSONbyPath(QStringLiteral("$.A[*].ID"), values, paths));
        QCOMPARE(values.size(), 2);
        QCOMPARE(values.at(1).asInt(), 7);
        QCOMPARE(paths, (QVector<QString>{QStringLiteral("$.A[0].ID"), QStringLiteral("$.A[1].ID")}));

        QVERIFY(!util.getJSONbyPath(QStringLiteral("$.NOPE"), values));
        QVERIFY(values.isEmpty());

        Json::Value single;
        QVERIFY(util.getJSONbyPath(QStringLiteral("$.B.b"), single));
        QCOMPARE(single.asInt(), 1);
    }

    void singleValueQueryWithSeveralHits()
    {
        CommonJSONUtil util(parse("{\"A\":[1,2]}"), nullptr);
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

    void unreadableFileGivesEmptyDocument()
    {
        CommonJSONUtil util(QStringLiteral("/nonexistent/file.json"), nullptr);
        Json::Value value;
        QVERIFY(!util.getJSONbyPath(QStringLiteral("$.A"), value));
        QVERIFY(util.getSnapshot().isNull());
    }

    void appendJsonMergesLocally()
    {
        CommonJSONUtil util(parse("{\"A\":{\"C\":1}}"), nullptr);
        util.appendJson(Json::Value(5), QStringLiteral("$.A.B"));
        const Json::Value tree = util.getSnapshot();
        QCOMPARE(tree["A"]["B"].asInt(), 5);
        QCOMPARE(tree["A"]["C"].asInt(), 1);
    }

    void appendJsonReportsFailure()
    {
        CommonJSONUtil util(parse("{}"), nullptr);
        LogCapture log;
        util.appendJson(Json::Value(5), QStringLiteral("NOT.A.PATH"));
        QCOMPARE(log.matching(QStringLiteral("JSON telegram could not be added to MasterJSON \n")).size(), 1);
    }

    void saveJson()
    {
        QTemporaryDir dir;
        CommonJSONUtil util(parse("{\"A\":1}"), nullptr);

        LogCapture log;
        const QString missing = dir.path() + QStringLiteral("/missing/dump.json");
        util.saveJson(missing);
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(log.matching(QStringLiteral("Not able to open File at ") + missing).size(), 1);

        const QString file = dir.path() + QStringLiteral("/dump.json");
        util.saveJson(file);
        CommonJSONUtil reread(file, nullptr);
        Json::Value value;
        QVERIFY(reread.getJSONbyPath(QStringLiteral("$.A"), value));
        QCOMPARE(value.asInt(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCommonJSONUtil)
#include "tst_commonjsonutil.moc"
