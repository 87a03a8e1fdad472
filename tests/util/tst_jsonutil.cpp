// The mirror owner: path references into "CLNT", and queries while the
// receive path changes the mirror.
#include "../common/LogCapture.h"
#include "TestJson.h"

#include "common/ThreadHandOver.h"
#include "util/JSONUtil.h"

#include <QtTest>

#include <atomic>

namespace {

void fillClient(JSONUtil& util)
{
    util.appendJson(parse(QStringLiteral("{\"US\":{\"ID\":7,\"NAME\":\"admin\"},\"IDX\":{\"DEV\":2},\"OBJ\":{\"A\":1}}")),
                    QStringLiteral("$.CLNT"));
}

} // namespace

class TestJSONUtil : public QObject
{
    Q_OBJECT

private slots:
    void solvesClientReferences_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");

        QTest::newRow("number") << "$.USMG.USLI[?(@.ID==($.CLNT.US.ID))]" << "$.USMG.USLI[?(@.ID==7)]";
        QTest::newRow("missing node") << "$.X[($.CLNT.NO.ID)]" << "$.X[($.CLNT.NO.ID)]";
        QTest::newRow("object is not spliced") << "$.X[($.CLNT.OBJ)]" << "$.X[($.CLNT.OBJ)]";
    }

    void solvesClientReferences()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);

        JSONUtil util;
        fillClient(util);
        LogCapture log;
        util.getAndSolvePath(path);
        QCOMPARE(path, expected);
        QCOMPARE(util.getRequestCount(), 0);   // references never queue reads
    }

    void queriesWhileTelegramsAreApplied()
    {
        JSONUtil util;
        std::atomic<bool> done{false};
        std::atomic<int> failures{0};

        QList<QThread*> readers;
        for (int r = 0; r < 3; ++r) {
            readers << QThread::create([&] {
                while (!done) {
                    QVector<Json::Value> values;
                    util.getMasterJSONbyPath(QStringLiteral("$.DATA.CH[*].MW"), values, false);
                    for (const Json::Value& value : values)
                        if (!value.isNull() && !value.isInt())
                            ++failures;
                    Json::Value single;
                    util.getMasterJSONbyPath(QStringLiteral("$.DATA.CH[0].MW"), single, false);
                    util.getSnapshot();
                }
            });
            readers.last()->start();
        }

        for (int i = 0; i < 2000; ++i) {
            Json::Value telegram = parse(QStringLiteral(
                "{\"INST\":{\"DEL\":{\"VAL\":[{\"DEST\":{\"PATH\":\"$.DATA.CH[%1]\"},\"MODE\":0}]},"
                "\"SET\":{\"VAL\":[{\"DEST\":{\"PATH\":\"$.DATA.CH[%2].MW\"},\"VAL\":%3}]}}}")
                                             .arg(i % 7).arg(i % 11).arg(i));
            util.handleReceiveJSON(telegram);
            if (i % 500 == 0)
                util.clear();
        }
        done = true;
        for (QThread* reader : readers) {
            QVERIFY(waitForThread(reader, 30000));
            delete reader;
        }
        QCOMPARE(failures.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestJSONUtil)
#include "tst_jsonutil.moc"
