// The request queue: ids, de-duplication of reads, batching of the head run of
// one request type, acknowledgement by ids.
#include "common/GlobalEnums.h"
#include "common/ThreadHandOver.h"
#include "common/ZZJSON.h"
#include "util/JSONUtil.h"

#include <QtTest>

namespace {

struct Built
{
    int kind = -1;
    Json::Value telegram;
    QList<qint64> ids;
};

Built build(JSONUtil& util)
{
    Built built;
    util.buildTelegram(built.kind, built.telegram, built.ids);
    return built;
}

QStringList pathsOf(const Json::Value& elements)
{
    QStringList paths;
    for (const Json::Value& element : elements)
        paths << QString::fromStdString(element["DEST"]["PATH"].asString());
    return paths;
}

const int SET = GlobalEnums::SET;
const int GET = GlobalEnums::GET;

} // namespace

class TestRequestQueue : public QObject
{
    Q_OBJECT

private slots:
    void readsAreQueuedOnceWritesEveryTime()
    {
        JSONUtil util;
        util.requestPath(QStringLiteral("$.A"));
        util.requestPath(QStringLiteral("$.A"));
        QCOMPARE(util.getRequestCount(), 1);

        // Once acknowledged, the same read may be queued again, with a new id.
        util.removeRequests({1});
        util.requestPath(QStringLiteral("$.A"));
        QCOMPARE(build(util).ids, QList<qint64>{2});
        util.removeRequests({2});

        // Writes are never merged.
        util.requestConfig(QStringLiteral("$.A"), Json::Value(1), SET);
        util.requestConfig(QStringLiteral("$.A"), Json::Value(2), SET);
        util.requestConfig(QString(), Json::Value(3), SET);   // no path: nothing queued
        const Built built = build(util);
        QCOMPARE(built.ids, (QList<qint64>{3, 4}));
        QCOMPARE(built.telegram["INST"]["SET"]["VAL"][1]["VAL"].asInt(), 2);
    }

    void headRunOfOneTypeIsBatched()
    {
        JSONUtil util;
        util.requestPath(QStringLiteral("$.A"));
        util.requestPath(QStringLiteral("$.B"));
        util.requestConfig(QStringLiteral("$.C"), Json::Value(1), SET);
        util.requestPath(QStringLiteral("$.D"));

        Built first = build(util);
        QCOMPARE(pathsOf(first.telegram["INST"]["GET"]["VAL"]), (QStringList{QStringLiteral("$.A"), QStringLiteral("$.B")}));
        QCOMPARE(build(util).ids, first.ids);   // building does not change the queue

        util.removeRequests(first.ids);
        Built second = build(util);
        QCOMPARE(second.kind, int(REQUEST_CONFIG));
        QCOMPARE(second.ids, QList<qint64>{3});

    }

    void idsOfAnEarlierGenerationRemoveNothing()
    {
        JSONUtil util;
        util.requestPath(QStringLiteral("$.A"));
        util.requestPath(QStringLiteral("$.B"));
        int kind = 0;
        Json::Value telegram;
        QList<qint64> oldIds;
        quint64 oldGeneration = 0;
        util.buildTelegram(kind, telegram, oldIds, oldGeneration);

        util.clearRequests();
        util.requestPath(QStringLiteral("$.C"));
        util.requestConfig(QStringLiteral("$.D"), Json::Value(1), SET);
        util.removeRequests(oldIds, oldGeneration);
        QVERIFY(util.takeRequests(oldIds, oldGeneration).isEmpty());
        QCOMPARE(util.getRequestCount(), 2);
        QCOMPARE(pathsOf(build(util).telegram["INST"]["GET"]["VAL"]), QStringList{"$.C"});
    }

    void producersOnSeveralThreads()
    {
        JSONUtil util;
        const int perThread = 500;
        QList<QThread*> threads;
        for (int t = 0; t < 4; ++t) {
            threads << QThread::create([&util, t, perThread] {
                for (int i = 0; i < perThread; ++i) {
                    util.requestPath(QStringLiteral("$.P%1").arg(i));   // shared paths: de-duplicated
                    util.requestConfig(QStringLiteral("$.T%1").arg(t), Json::Value(i), SET);
                }
            });
            threads.last()->start();
        }
        for (QThread* thread : threads) {
            QVERIFY(waitForThread(thread, 30000));
            delete thread;
        }
        QCOMPARE(util.getRequestCount(), perThread + 4 * perThread);

        // Ids are unique and increase in queue order.
        qint64 last = 0;
        int total = 0;
        while (util.getRequestCount() > 0) {
            const Built built = build(util);
            for (qint64 id : built.ids) {
                QVERIFY(id > last);
                last = id;
            }
            total += built.ids.size();
            util.removeRequests(built.ids);
        }
        QCOMPARE(total, 5 * perThread);
    }
};

QTEST_GUILESS_MAIN(TestRequestQueue)
#include "tst_requestqueue.moc"
