// The mirror owner: the request queue (ids, reads queued once, the head run
// of one request type batched, acknowledgement by ids and generation), the
// receive path (unwrapping answers, applying telegrams, the order of the
// change notifications, the receive loop), path references into "CLNT",
// producers on several threads, and the mirror written to a file while F11
// and F12 are held. Queries while telegrams are applied are the document's
// own concern and tested with it.
#include "../common/LogCapture.h"
#include "TestFiles.h"
#include "TestJson.h"

#include "common/ThreadHandOver.h"
#include "util/FileUtil.h"
#include "util/JSONUtil.h"
#include "util/ReceiveJSONTask.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QtTest>


namespace {

const int SET = GlobalEnums::SET;

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

QStringList readPaths(const Built& built)
{
    QStringList paths;
    for (const Json::Value& element : built.telegram["INST"]["GET"]["VAL"])
        paths << QString::fromStdString(element["DEST"]["PATH"].asString());
    return paths;
}

QString setElement(const QString& path, const QString& valueText)
{
    return QStringLiteral("{\"DEST\":{\"PATH\":\"%1\"},\"MODE\":0,\"VAL\":%2}").arg(path, valueText);
}

QString telegram(const QStringList& sets, const QStringList& dels = {})
{
    return QStringLiteral("{\"INST\":{\"DEL\":{\"VAL\":[%1]},\"SET\":{\"VAL\":[%2]}}}")
        .arg(dels.join(QLatin1Char(',')), sets.join(QLatin1Char(',')));
}

// Records every notification of util into events, in the order it arrives in the context's thread.
void record(JSONUtil& util, QStringList& events, QObject* context, Qt::ConnectionType type = Qt::DirectConnection)
{
    QObject::connect(&util, &JSONUtil::beforeTelegramAvailable, context, [&events] { events << "before"; }, type);
    QObject::connect(&util, &JSONUtil::afterTelegramAvailable, context, [&events] { events << "after"; }, type);
    QObject::connect(&util, QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable), context,
                     [&events](int kind, const QString& path) { events << QStringLiteral("type %1 %2").arg(kind).arg(path); },
                     type);
    QObject::connect(&util, QOverload<GlobalEnums::InstructionResult, QString>::of(&JSONUtil::telegramAvailable), context,
                     [&events](int result, const QString& path) { events << QStringLiteral("result %1 %2").arg(result).arg(path); },
                     type);
}

class KeyCounter : public QWidget
{
public:
    int presses = 0;
    int releases = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override { ++presses; event->accept(); }
    void keyReleaseEvent(QKeyEvent* event) override { ++releases; event->accept(); }
};

void key(QWidget* target, QEvent::Type type, int key, bool autoRepeat = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(target, &event);
}

QStringList dumps()
{
    return QDir(FileUtil::basePath()).entryList({QStringLiteral("MasterJson_*.json")}, QDir::Files, QDir::Name);
}

} // namespace

class TestJSONUtil : public QObject
{
    Q_OBJECT

private slots:
    void queueKeepsReadsOnceAndBatchesTheHeadRun()
    {
        JSONUtil util;
        util.requestPath(QStringLiteral("$.A"));
        util.requestPath(QStringLiteral("$.A"));
        util.requestPath(QStringLiteral("$.B"));
        util.requestConfig(QStringLiteral("$.C"), Json::Value(1), SET);
        util.requestConfig(QStringLiteral("$.C"), Json::Value(2), SET);   // writes are never merged
        util.requestConfig(QString(), Json::Value(3), SET);               // no path: nothing queued
        util.requestPath(QStringLiteral("$.D"));
        QCOMPARE(util.getRequestCount(), 5);

        const Built first = build(util);
        QCOMPARE(readPaths(first), (QStringList{"$.A", "$.B"}));
        QCOMPARE(build(util).ids, first.ids);   // building does not change the queue
        util.removeRequests(first.ids);

        // Once acknowledged, the same read may be queued again.
        util.requestPath(QStringLiteral("$.A"));
        const Built second = build(util);
        QCOMPARE(second.kind, int(REQUEST_CONFIG));
        QCOMPARE(second.ids, (QList<qint64>{3, 4}));
        QCOMPARE(second.telegram["INST"]["SET"]["VAL"][1]["VAL"].asInt(), 2);
        util.removeRequests(second.ids);
        QCOMPARE(readPaths(build(util)), (QStringList{"$.D", "$.A"}));
    }

    // Whether a node still needs a read is decided by what this session read, not by the mirror holding it.
    void aNodeIsReadUnlessThisSessionReadIt()
    {
        JSONUtil util;
        const auto apply = [&util](const QString& text) {
            Json::Value received = parse(text);
            util.handleReceiveJSON(received);
        };
        // The reads looked at now, left unanswered: none counts as read.
        const auto asked = [&util] {
            const Built built = build(util);
            util.takeRequests(built.ids);
            return readPaths(built);
        };
        const auto look = [&util](const QString& path) {
            Json::Value value;
            util.getMasterJSONbyPath(path, value, true);
        };

        // Another screen's read made the devices with their sensor lists only; the lists came whole.
        apply(telegram({setElement("$.DEV[0].SEN", "[1, 2]"), setElement("$.DEV[1]", "{\"SEN\": []}")}));
        for (int refresh = 0; refresh < 3; ++refresh) {
            look(QStringLiteral("$.DEV"));
            look(QStringLiteral("$.DEV[0].SEN"));
            look(QStringLiteral("$.DEV[1].SEN"));
        }
        QCOMPARE(asked(), QStringList{"$.DEV"});
        QVERIFY(!util.requestReadOnce(QStringLiteral("$.DEV")));

        // A change beside it allows nothing; at, above or below it one more read.
        apply(telegram({setElement("$.DEVCNT", "2")}));
        look(QStringLiteral("$.DEV"));
        QCOMPARE(asked(), QStringList());
        apply(telegram({setElement("$.DEV[1].NAME", "\"Kessel\"")}));
        look(QStringLiteral("$.DEV"));
        QCOMPARE(asked(), QStringList{"$.DEV"});

        // The device answers the read: neither it nor anything below it, there or not, is asked for again.
        util.requestPath(QStringLiteral("$.DEV"));
        util.removeRequests(build(util).ids);
        for (const QString& path : {"$.DEV", "$.DEV[0]", "$.DEV[3].NAME"})
            QVERIFY2(!util.requestReadOnce(path), qPrintable(path));

        // A "[*]" read covers each element; a delete takes the reads around it along.
        util.requestPath(QStringLiteral("$.AIN[*].KB.VAL"));
        util.removeRequests(build(util).ids);
        QVERIFY(util.wasRead(QStringLiteral("$.AIN[2].KB.VAL")) && !util.wasRead(QStringLiteral("$.AIN[2].KB")));
        apply(telegram({}, {setElement("$.DEV[1]", "null")}));
        QVERIFY(!util.wasRead(QStringLiteral("$.DEV[0]")) && util.wasRead(QStringLiteral("$.AIN[2].KB.VAL")));
        look(QStringLiteral("$.DEV"));
        QCOMPARE(asked(), QStringList{"$.DEV"});

        // A new session has read nothing.
        util.clearRequests();
        QVERIFY(!util.wasRead(QStringLiteral("$.AIN[2].KB.VAL")) && util.requestReadOnce(QStringLiteral("$.DEV")));
    }

    void idsOfAnEarlierGenerationRemoveNothing()
    {
        JSONUtil util;
        util.requestPath(QStringLiteral("$.A"));
        util.requestPath(QStringLiteral("$.B"));
        int kind = 0;
        Json::Value built;
        QList<qint64> oldIds;
        quint64 oldGeneration = 0;
        util.buildTelegram(kind, built, oldIds, oldGeneration);

        util.clearRequests();
        util.requestPath(QStringLiteral("$.C"));
        util.requestConfig(QStringLiteral("$.D"), Json::Value(1), SET);
        util.removeRequests(oldIds, oldGeneration);
        QVERIFY(util.takeRequests(oldIds, oldGeneration).isEmpty());
        QCOMPARE(util.getRequestCount(), 2);
        QCOMPARE(readPaths(build(util)), QStringList{"$.C"});
        // Nor do they mark one as sent: the new write, never sent, surely was not written.
        util.noteSent(oldIds, oldGeneration);
        util.noteMayHaveReached(oldIds, oldGeneration);
        QCOMPARE(util.takeUnwrittenWrites().notWritten, QStringList{"$.D"});
    }

    // The writes a session leaves are named once each, by what is known of the last write of
    // each path: never handed to the network, or refused with the session (its only attempt
    // answered) is "not written"; any other "not confirmed".
    void writesLeftByASessionAreNamedOnceByTheirLastWrite()
    {
        JSONUtil util;
        const auto write = [&util](const char* path, const char* label) {
            util.requestConfig(QLatin1String(path), Json::Value(1), SET, QString::fromUtf8(label));
        };
        const auto send = [&util](bool answered) {   // the head telegram goes out once
            int kind = 0;
            Json::Value telegram;
            QList<qint64> ids;
            quint64 generation = 0;
            util.buildTelegram(kind, telegram, ids, generation);
            util.noteSent(ids, generation);
            if (!answered)
                util.noteMayHaveReached(ids, generation);
            return ids;
        };
        // Refused with the session: one answered at its only attempt, one unanswered before.
        write("$.R1", "Refused");
        QList<qint64> refused = send(true);
        write("$.R2", "Refused after a time-out");
        util.keepWritesOfRefusedSession(util.dropRequests(refused, util.getRequestGeneration(), true));
        send(false);
        util.keepWritesOfRefusedSession(util.dropRequests(send(true), util.getRequestGeneration(), true));
        // Still queued: one sent, then written anew under another name and never sent; one sent and
        // answered with a server error, to be sent again; one never sent.
        // Two entries named alike are named once, as the surer of the two.
        write("$.A", "Sent");
        write("$.C", "Sent, answered with a server error");
        write("$.D", "Named alike");
        send(true);
        write("$.A", "Sent, then written anew");
        write("$.B", "Never sent");
        write("$.E", "Named alike");
        const JSONUtil::UnwrittenWrites left = util.takeUnwrittenWrites();
        QCOMPARE(left.notWritten, (QStringList{"Refused", "Sent, then written anew", "Never sent", "Named alike"}));
        QCOMPARE(left.notConfirmed, (QStringList{"Refused after a time-out", "Sent, answered with a server error"}));
        // The kept ones are forgotten; the queued ones stay until the next login clears them.
        QCOMPARE(util.takeUnwrittenWrites().notWritten,
                 (QStringList{"Sent, then written anew", "Never sent", "Named alike"}));
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

    // The telegrams of data answers go to the receive queue; the newest ReqID is kept, also beyond 32 bits.
    void unwrapsAnswers()
    {
        const QString t1 = telegram({setElement(QStringLiteral("$.A"), QStringLiteral("1"))});
        const QString t2 = telegram({setElement(QStringLiteral("$.B"), QStringLiteral("2"))});
        const QString answer = QStringLiteral("{\"ReqID\":%1,\"ReqContent\":%2}");
        const struct { QStringList answers; int telegrams; qint64 reqId; } rows[] = {
            {{answer.arg(5).arg("[" + t1 + "," + t2 + "]")}, 2, 5},
            {{answer.arg(Q_INT64_C(8589934592)).arg(t1)}, 1, Q_INT64_C(8589934592)},
            {{answer.arg(3).arg(t1), answer.arg(4).arg(t2)}, 2, 4},
            {{QString(5000, '[') + QString(5000, ']'), answer.arg(3).arg(t1)}, 1, 3}};   // deep nesting is skipped
        LogCapture log;
        for (const auto& row : rows) {
            JSONUtil util;
            QList<Reply> replies;
            for (const QString& text : row.answers)
                replies << Reply(QVariant(QStringLiteral("dataRequest")), text.toUtf8());
            QCOMPARE(util.handleReplies(-1, replies), row.reqId);
            QCOMPARE(util.getReceiveCount(), row.telegrams);
        }
    }

    // Deletions first, then the writes; an element that fails gets only its result.
    void notificationOrder()
    {
        LogCapture log;
        JSONUtil util;
        util.appendJson(parse(QStringLiteral("{\"x\":1}")), QStringLiteral("$.A"));
        QStringList events;
        record(util, events, this);
        Json::Value value = parse(telegram({setElement(QStringLiteral("X.Y"), QStringLiteral("1")),
                                            setElement(QStringLiteral("$.L[x]"), QStringLiteral("1")),
                                            setElement(QStringLiteral("$.B"), QStringLiteral("2"))},
                                           {QStringLiteral("{\"DEST\":{\"PATH\":\"$.A\"},\"MODE\":0}")}));
        util.handleReceiveJSON(value);
        QCOMPARE(events, (QStringList{"before", "type 2 $.A", "result 0 $.A", "result 1 X.Y", "result 3 $.L[x]",
                                               "type 3 $.B", "result 0 $.B", "after"}));
        QVERIFY(util.getSnapshot()["A"].empty());
    }

    // A SET of the value the mirror already holds is announced like a change: the
    // device's echo of a value it refused (its own, unchanged) confirms the pending
    // write at that path.
    void aSetOfTheHeldValueIsAnnounced()
    {
        JSONUtil util;
        util.appendJson(parse(QStringLiteral("{\"LO\":-12.5}")), QStringLiteral("$.A"));
        QStringList events;
        record(util, events, this);
        Json::Value value = parse(telegram({setElement(QStringLiteral("$.A.LO"), QStringLiteral("-12.5"))}));
        util.handleReceiveJSON(value);
        QCOMPARE(events, (QStringList{"before", "type 3 $.A.LO", "result 0 $.A.LO", "after"}));   // 3: SET
    }

    void receiveLoopAppliesInOrderAndStops()
    {
        JSONUtil util;
        QStringList events;
        QObject scope;   // goes first, with the notifications still queued for it
        record(util, events, &scope, Qt::QueuedConnection);
        // The task runs when the thread starts, ends it and, from there, gives itself back to this thread.
        QThread thread;
        ReceiveJSONTask task(&util, 5);
        QThread* home = QThread::currentThread();
        task.moveToThread(&thread);
        connect(&thread, SIGNAL(started()), &task, SLOT(executeReceiveTask()));
        connect(&task, SIGNAL(finishedReceiveTask()), &thread, SLOT(quit()), Qt::DirectConnection);
        connect(&task, &ReceiveJSONTask::finishedReceiveTask, [&task, home] { task.moveToThread(home); });
        QSignalSpy finished(&task, SIGNAL(finishedReceiveTask()));
        thread.start();

        QStringList expected;
        for (int i = 0; i < 40; ++i) {
            const QString path = QStringLiteral("$.N%1").arg(i);
            util.addReceiveJSON(parse(telegram({setElement(path, QString::number(i))})));
            expected << QStringLiteral("type 3 ") + path;
        }
        QTRY_COMPARE(events.filter(QStringLiteral("type ")), expected);
        task.stop();
        QVERIFY(waitForThread(&thread, 5000));
        QCOMPARE(finished.count(), 1);
    }

    // A number at a "CLNT" reference is put in; a missing node or an object leaves the path as it is.
    void solvesClientReferences()
    {
        JSONUtil util;
        util.appendJson(parse(QStringLiteral("{\"US\":{\"ID\":7,\"NAME\":\"admin\"},\"OBJ\":{\"A\":1}}")), QStringLiteral("$.CLNT"));
        LogCapture log;
        for (const auto& row : {qMakePair(QString("$.USMG.USLI[?(@.ID==($.CLNT.US.ID))]"), QString("$.USMG.USLI[?(@.ID==7)]")),
                                qMakePair(QString("$.X[($.CLNT.NO.ID)]"), QString("$.X[($.CLNT.NO.ID)]")),
                                qMakePair(QString("$.X[($.CLNT.OBJ)]"), QString("$.X[($.CLNT.OBJ)]"))}) {
            QString path = row.first;
            util.getAndSolvePath(path);
            QCOMPARE(path, row.second);
        }
        QCOMPARE(util.getRequestCount(), 0);   // references never queue reads
    }

    // Holding F11 and F12 together writes the mirror into the data folder,
    // once per chord, token and passwords masked; the keys still reach the widgets.
    void chordWritesTheMirrorOnce()
    {
        QDir(FileUtil::basePath()).removeRecursively();
        QVERIFY(QDir().mkpath(FileUtil::basePath()));
        JSONUtil util;
        util.appendJson(Json::Value("visible"), QStringLiteral("$.DATA.NAME"));
        util.appendJson(Json::Value("7f3a9c0d"), QStringLiteral("$.CLNT.TOKN"));
        Json::Value users(Json::arrayValue);
        users[0]["NAME"] = "admin";
        users[0]["PW"] = "admin-secret";
        users[1]["NAME"] = "bediener";
        users[1]["PASS"]["VAL"] = "1234-secret";
        util.appendJson(users, QStringLiteral("$.USMG.USLI"));
        KeyCounter widget;

        key(&widget, QEvent::KeyPress, Qt::Key_F11);
        key(&widget, QEvent::KeyPress, Qt::Key_F12);
        // Auto-repeat sends release/press pairs while the keys are held.
        for (int i = 0; i < 5; ++i) {
            key(&widget, QEvent::KeyRelease, Qt::Key_F12, true);
            key(&widget, QEvent::KeyPress, Qt::Key_F12, true);
        }
        QVERIFY(dumps().isEmpty());

        key(&widget, QEvent::KeyRelease, Qt::Key_F12);
        // F11 still held: pressing F12 again belongs to the same chord.
        QTest::qWait(5);
        key(&widget, QEvent::KeyPress, Qt::Key_F12);
        key(&widget, QEvent::KeyRelease, Qt::Key_F12);
        key(&widget, QEvent::KeyRelease, Qt::Key_F11);

        const QStringList written = dumps();
        QCOMPARE(written.size(), 1);

        // The token and every password are masked, wherever they are.
        const QByteArray text = readFile(FileUtil::basePath() + QLatin1Char('/') + written.first());
        QVERIFY(!text.contains("7f3a9c0d") && !text.contains("secret"));
        const Json::Value dumped = parse(QString::fromUtf8(text));
        QCOMPARE(dumped["USMG"]["USLI"][1]["PASS"]["VAL"], Json::Value("***"));
        QCOMPARE(dumped["DATA"]["NAME"], Json::Value("visible"));

        // Every event reached the widget.
        QCOMPARE(widget.presses, 8);
        QCOMPARE(widget.releases, 8);
    }
};

QTEST_MAIN(TestJSONUtil)
#include "tst_jsonutil.moc"
