// The device-configuration worker: which queued request is built, bursts of
// requests, the change filter (watched paths, pending writes, deletions),
// writes the device never confirms, changes that arrive while a table is
// built, and a threaded util destroyed in the middle of a build.
#include "ConfigMirrorFixture.h"
#include "SimulatorProcess.h"
#include "common/ThreadHandOver.h"

#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <atomic>

namespace {

const int BIG_ROWS = 5000;

TableCell changedCell(const QString& path, const QVariant& value)
{
    TableCell cell;
    cell.setCellType(TableCell::TEXT_EDIT);
    cell.setRights(TableCell::EDITABLE);
    cell.setChanged(true);
    cell.setPath(path);
    cell.setValue(value);
    return cell;
}

TableStructure tableOf(const QVector<TableCell>& cells)
{
    TableStructure table;
    table.setRows({cells});
    return table;
}

} // namespace

class TestDeviceConfigUtil : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigMirrorFixture> fixture;

    // A data table of BIG_ROWS rows at $.DISP.BIG.
    void fillBigTable()
    {
        Json::Value rows(Json::arrayValue);
        for (int i = 0; i < BIG_ROWS; ++i) {
            Json::Value row;
            row["V"] = i;
            row["N"] = "n" + std::to_string(i);
            rows.append(row);
        }
        fixture->json()->appendJson(rows, QStringLiteral("$.DATA.BIG"));
        fixture->fill(QStringLiteral("$.DISP"),
                      QStringLiteral("{\"BIG\":{\"DTAB\":{\"PATH\":\"$.DISP.BIGD\"}},\"BIGD\":{\"TH\":[{\"T\":\"V\"},{\"T\":\"N\"}],"
                                     "\"TD\":[{\"PATH\":\"$.DATA.BIG[*].V\",\"INP\":{\"MODE\":\"Z\",\"AUT\":7}},"
                                     "{\"PATH\":\"$.DATA.BIG[*].N\"}]}}"));
    }

private slots:
    void initTestCase() { fixture.reset(new ConfigMirrorFixture()); }
    void cleanupTestCase() { fixture.reset(); }

    void init()
    {
        fixture->reset();
        fixture->login();
        DeviceConfigUtil::setPendingWriteTimeout(5000);
    }

    // A forced request beats later refreshes; of several forced ones the newest is built.
    void takeRequest()
    {
        DeviceConfigUtilWork work(nullptr);
        for (const QString& text : {"!A", "B", "!C", "D"}) {
            ConfigTableRequest request;
            request.force = text.startsWith('!') ? 1 : 0;
            request.path = text.mid(request.force);
            work.addRequest(request);
        }
        QCOMPARE(work.takeRequest(), QStringLiteral("C"));
        QCOMPARE(work.takeRequest(), QString());   // the others are dropped
    }

    void burstOfRequestsGivesAtMostTwoBuilds()
    {
        fillBigTable();
        DeviceConfigUtilTask task;
        std::atomic<int> tables{0};
        connect(&task, QOverload<TableStructure&>::of(&DeviceConfigUtil::updateConfigTable),
                [&](TableStructure&) { ++tables; });

        task.getConfigTable(true, QStringLiteral("$.DISP.BIG"));
        QTRY_COMPARE_WITH_TIMEOUT(task.queuedRequests(), 0, 10000);   // the first build runs
        for (int i = 0; i < 1000; ++i)
            task.getConfigTable(i % 7 == 0, QStringLiteral("$.DISP.BIG"));
        QTRY_COMPARE_WITH_TIMEOUT(tables.load(), 2, 60000);
        // The second build took the one request the burst left; nothing is left for a third.
        QCOMPARE(task.queuedRequests(), 0);
        QCOMPARE(tables.load(), 2);
    }

    void filter_data()
    {
        QTest::addColumn<QString>("watched");
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("refresh");
        QTest::addColumn<bool>("confirmed");

        const int set = GlobalEnums::SET;
        const int del = GlobalEnums::DEL;
        QTest::newRow("below a watched path") << "$.DISP.GEN" << "" << set << "$.DISP.GEN.MEN.NAME.VAL" << true << false;
        QTest::newRow("unrelated path") << "$.DISP.GEN" << "" << set << "$.DATA.X" << false << false;
        QTest::newRow("element of a watched list") << "$.X.L[*].V" << "" << set << "$.X.L[3].V" << true << false;
        QTest::newRow("write confirmed by its list") << "" << "$.DATA.A[1].HI" << set << "$.DATA.A" << true << true;
        QTest::newRow("longer member name confirms nothing") << "" << "$.DISP.E.VAL" << set << "$.DISP.E.VALX" << false
                                                             << false;
        QTest::newRow("deletion of a watched path") << "$.DISP.GEN" << "" << del << "$.DISP.GEN.MEN" << true << false;
    }

    void filter()
    {
        QFETCH(QString, watched);
        QFETCH(QString, written);
        QFETCH(int, type);
        QFETCH(QString, path);
        QFETCH(bool, refresh);
        QFETCH(bool, confirmed);

        DeviceConfigUtil util;
        util.addWatchedPath(watched);
        if (!written.isEmpty())
            util.saveConfig(tableOf({changedCell(written, QStringLiteral("x"))}));
        QSignalSpy refreshes(&util, SIGNAL(updateConfigTable()));
        QSignalSpy deletions(&util, SIGNAL(deleteConfigTable(QString)));

        ConfigMirrorFixture::notify(util, path, GlobalEnums::InstructionType(type));
        QCOMPARE(refreshes.count(), refresh ? 1 : 0);
        QCOMPARE(deletions.count(), type == GlobalEnums::DEL ? 1 : 0);
        if (!written.isEmpty())
            QCOMPARE(util.hasPendingWrites(), !confirmed);

    }

    void unconfirmedWritesExpire()
    {
        DeviceConfigUtil::setPendingWriteTimeout(300);
        const QString entry = QStringLiteral("{\"VAL\":\"x\",\"INP\":{\"MODE\":\"A\",\"AUT\":7}}");
        fixture->fill(QStringLiteral("$.DISP.E"), entry);
        DeviceConfigUtil util;
        QSignalSpy refreshes(&util, SIGNAL(updateConfigTable()));

        util.saveConfig(tableOf({changedCell(QStringLiteral("$.DISP.E.VAL"), QStringLiteral("a")),
                                 changedCell(QStringLiteral("$.DISP.F.VAL"), QStringLiteral("b"))}));
        ConfigMirrorFixture::notify(util, QStringLiteral("$.DISP.E"));
        QCOMPARE(util.getPendingWritePaths(), QStringList{"$.DISP.F.VAL"});

        QTRY_VERIFY_WITH_TIMEOUT(!util.hasPendingWrites(), 10000);
        QCOMPARE(refreshes.count(), 2);   // the confirmation, then the expiry
        TableCell editable;
        util.setInputCell(fixture->parse(entry), QStringLiteral("$.DISP.E"), editable);
        QCOMPARE(editable.getRights(), int(TableCell::EDITABLE));
    }

    void changeDuringBuildRefreshes_data()
    {
        QTest::addColumn<QString>("changed");
        QTest::addColumn<int>("refreshes");
        QTest::newRow("a value of the new table") << "$.DISP.B.E.VAL" << 1;
        QTest::newRow("a path neither table shows") << "$.DISP.C.X" << 0;
    }

    // The change arrives after the new table's values were read and before
    // its watched paths replace the old table's.
    void changeDuringBuildRefreshes()
    {
        QFETCH(QString, changed);
        QFETCH(int, refreshes);

        fixture->fill(QStringLiteral("$.DISP"),
                      QStringLiteral("{\"A\":{\"ROWS\":[\"E\"],\"E\":{\"VAL\":1}},\"B\":{\"ROWS\":[\"E\"],\"E\":{\"VAL\":2}}}"));
        DeviceConfigUtil util;
        ConfigMirrorFixture::build(util, QStringLiteral("$.DISP.A"));
        QSignalSpy spy(&util, SIGNAL(updateConfigTable()));
        connect(&util, QOverload<TableStructure&>::of(&DeviceConfigUtil::updateConfigTable), [&](TableStructure&) {
            Json::Value telegram = SimulatorProcess::setTelegram(changed, 3);
            fixture->json()->handleReceiveJSON(telegram);
        });
        util.processRequest(QStringLiteral("$.DISP.B"));
        QCOMPARE(spy.count(), refreshes);
        QVERIFY(util.getWatchedPaths().contains(QStringLiteral("$.DISP.B.E")));
    }

    void destroyedDuringBuildWhileNotificationsFlow()
    {
        fillBigTable();
        std::atomic<bool> done{false};
        std::atomic<int> sent{0};
        QThread* receiver = QThread::create([&] {
            int k = 0;
            while (!done) {
                Json::Value telegram = SimulatorProcess::setTelegram(QStringLiteral("$.DATA.BIG[%1].V").arg(k % BIG_ROWS), k);
                fixture->json()->handleReceiveJSON(telegram);
                ++k;
                ++sent;
            }
        });
        receiver->start();

        for (int round = 0; round < 50; ++round) {
            auto* task = new DeviceConfigUtilTask();
            task->getConfigTable(true, QStringLiteral("$.DISP.BIG"));
            QTRY_COMPARE_WITH_TIMEOUT(task->queuedRequests(), 0, 10000);
            QTest::qWait(round % 10);
            delete task;
        }

        // A util made afterwards still builds the whole table.
        DeviceConfigUtilTask task;
        std::atomic<int> rows{-1};
        connect(&task, QOverload<TableStructure&>::of(&DeviceConfigUtil::updateConfigTable),
                [&](TableStructure& table) { rows = table.rowCount(); });
        task.getConfigTable(true, QStringLiteral("$.DISP.BIG"));
        QTRY_COMPARE_WITH_TIMEOUT(rows.load(), BIG_ROWS, 60000);

        done = true;
        waitForThread(receiver);
        delete receiver;
        QVERIFY(sent > 0);
    }
};

QTEST_GUILESS_MAIN(TestDeviceConfigUtil)
#include "tst_deviceconfigutil.moc"
