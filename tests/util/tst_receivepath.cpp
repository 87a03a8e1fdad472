// The receive path: unwrapping answers, applying telegrams to the mirror and
// the order of the change notifications.
#include "../common/LogCapture.h"
#include "TestJson.h"

#include "common/ThreadHandOver.h"
#include "util/JSONUtil.h"
#include "util/ReceiveJSONTask.h"

#include <QtTest>

namespace {

QString setElement(const QString& path, const QString& valueText)
{
    return QStringLiteral("{\"DEST\":{\"PATH\":\"%1\"},\"MODE\":0,\"VAL\":%2}").arg(path, valueText);
}

QString telegram(const QStringList& sets, const QStringList& dels = {})
{
    return QStringLiteral("{\"INST\":{\"DEL\":{\"VAL\":[%1]},\"SET\":{\"VAL\":[%2]}}}")
        .arg(dels.join(QLatin1Char(',')), sets.join(QLatin1Char(',')));
}

// Records every notification of a JSONUtil in the order it arrives.
class Recorder : public QObject
{
    Q_OBJECT

public:
    explicit Recorder(JSONUtil* util, Qt::ConnectionType type = Qt::DirectConnection)
    {
        connect(util, SIGNAL(beforeTelegramAvailable()), this, SLOT(before()), type);
        connect(util, SIGNAL(afterTelegramAvailable()), this, SLOT(after()), type);
        connect(util, SIGNAL(telegramAvailable(GlobalEnums::InstructionType,QString)),
                this, SLOT(typed(GlobalEnums::InstructionType,QString)), type);
        connect(util, SIGNAL(telegramAvailable(GlobalEnums::InstructionResult,QString)),
                this, SLOT(result(GlobalEnums::InstructionResult,QString)), type);
    }

    QStringList events;

public slots:
    void before() { events << QStringLiteral("before"); }
    void after() { events << QStringLiteral("after"); }
    void typed(GlobalEnums::InstructionType type, QString path) { events << QStringLiteral("type %1 %2").arg(type).arg(path); }
    void result(GlobalEnums::InstructionResult result, QString path) { events << QStringLiteral("result %1 %2").arg(result).arg(path); }
};

// Runs task on thread when the thread starts; the task ends the thread and,
// from there, gives itself back to the calling thread, which destroys it.
void runOn(QThread& thread, ReceiveJSONTask& task)
{
    QThread* home = QThread::currentThread();
    task.moveToThread(&thread);
    QObject::connect(&thread, SIGNAL(started()), &task, SLOT(executeReceiveTask()));
    QObject::connect(&task, SIGNAL(finishedReceiveTask()), &thread, SLOT(quit()), Qt::DirectConnection);
    QObject::connect(&task, &ReceiveJSONTask::finishedReceiveTask, [&task, home] { task.moveToThread(home); });
}

void apply(JSONUtil& util, const QString& text)
{
    Json::Value value = parse(text);
    util.handleReceiveJSON(value);
}

} // namespace

class TestReceivePath : public QObject
{
    Q_OBJECT

private slots:
    void unwrapsAnswers_data()
    {
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<int>("telegrams");
        QTest::addColumn<qint64>("reqId");

        const QString t1 = telegram({setElement(QStringLiteral("$.A"), QStringLiteral("1"))});
        const QString t2 = telegram({setElement(QStringLiteral("$.B"), QStringLiteral("2"))});

        QTest::newRow("wrapped array") << QStringList{QStringLiteral("{\"ReqID\":5,\"ReqContent\":[%1,%2]}").arg(t1, t2)} << 2 << qint64(5);
        QTest::newRow("id beyond 32 bits") << QStringList{QStringLiteral("{\"ReqID\":8589934592,\"ReqContent\":%1}").arg(t1)} << 1 << Q_INT64_C(8589934592);
        QTest::newRow("newest id of several") << QStringList{QStringLiteral("{\"ReqID\":3,\"ReqContent\":%1}").arg(t1),
                                                             QStringLiteral("{\"ReqID\":4,\"ReqContent\":%1}").arg(t2)} << 2 << qint64(4);
        QTest::newRow("deep nesting is skipped") << QStringList{QString(5000, QLatin1Char('[')) + QString(5000, QLatin1Char(']')),
                                                                QStringLiteral("{\"ReqID\":3,\"ReqContent\":%1}").arg(t1)} << 1 << qint64(3);
    }

    void unwrapsAnswers()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, telegrams);
        QFETCH(qint64, reqId);

        LogCapture log;
        JSONUtil util;
        QList<Reply> replies;
        for (const QString& answer : answers)
            replies << Reply(QVariant(QStringLiteral("dataRequest")), answer.toUtf8());
        QCOMPARE(util.handleReplies(-1, replies), reqId);
        QCOMPARE(util.getReceiveCount(), telegrams);
    }

    void notificationOrder()
    {
        JSONUtil util;
        util.appendJson(parse(QStringLiteral("{\"x\":1}")), QStringLiteral("$.A"));
        Recorder recorder(&util);

        apply(util, telegram({setElement(QStringLiteral("$.B"), QStringLiteral("2")),
                              setElement(QStringLiteral("$.C"), QStringLiteral("3"))},
                             {QStringLiteral("{\"DEST\":{\"PATH\":\"$.A\"},\"MODE\":0}")}));
        QCOMPARE(recorder.events, (QStringList{
            QStringLiteral("before"),
            QStringLiteral("type 2 $.A"), QStringLiteral("result 0 $.A"),
            QStringLiteral("type 3 $.B"), QStringLiteral("result 0 $.B"),
            QStringLiteral("type 3 $.C"), QStringLiteral("result 0 $.C"),
            QStringLiteral("after")}));
        QVERIFY(util.getSnapshot()["A"].empty());
    }

    void failedElementsGetOnlyTheirResult_data()
    {
        QTest::addColumn<QString>("element");
        QTest::addColumn<QString>("expectedResult");
        QTest::newRow("bad path") << setElement(QStringLiteral("X.Y"), QStringLiteral("1")) << "result 1 X.Y";
        QTest::newRow("element failed") << setElement(QStringLiteral("$.L[x]"), QStringLiteral("1")) << "result 3 $.L[x]";
    }

    void failedElementsGetOnlyTheirResult()
    {
        QFETCH(QString, element);
        QFETCH(QString, expectedResult);

        LogCapture log;
        JSONUtil util;
        Recorder recorder(&util);
        apply(util, telegram({element, setElement(QStringLiteral("$.OK"), QStringLiteral("1"))}));
        QCOMPARE(recorder.events, (QStringList{QStringLiteral("before"), expectedResult,
                                               QStringLiteral("type 3 $.OK"), QStringLiteral("result 0 $.OK"),
                                               QStringLiteral("after")}));
    }

    void receiveLoopAppliesInOrderAndStops()
    {
        JSONUtil util;
        Recorder recorder(&util, Qt::QueuedConnection);

        QThread thread;
        ReceiveJSONTask task(&util, 5);
        runOn(thread, task);
        QSignalSpy finished(&task, SIGNAL(finishedReceiveTask()));
        thread.start();

        QStringList expected;
        for (int i = 0; i < 40; ++i) {
            const QString path = QStringLiteral("$.N%1").arg(i);
            util.addReceiveJSON(parse(telegram({setElement(path, QString::number(i))})));
            expected << QStringLiteral("type 3 ") + path;
        }
        QTRY_COMPARE(recorder.events.filter(QStringLiteral("type ")), expected);

        task.stop();
        QVERIFY(waitForThread(&thread, 5000));
        QCOMPARE(finished.count(), 1);
    }

};

QTEST_GUILESS_MAIN(TestReceivePath)
#include "tst_receivepath.moc"
