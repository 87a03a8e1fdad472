// The user-management worker on the simulator's tree with 1,000 users in
// $.USMG.USLI (the simulator's four roles):
//   - the user table (UserManagementUtil::getUserList: name, role, last
//     login and trash picture per user), against one read of the list and,
//     per user, the name, the role text from a map and the date text, with
//     the trash picture loaded once as the worker loads it;
//   - whether a name is taken (userExists, a name no user has, so every user
//     is compared), against one read of the list;
//   - the worker's filter of change notifications: 1,000 live-value
//     notifications queued to its notification slot, as the mirror sends
//     them from its receive thread, against the same queued to an empty slot.
//     Once for a worker that never read anything (its screen never shown) and
//     once for one that shows the table and watches a user for the dialog.

#include "Ratio.h"

#include "common/GlobalEnums.h"
#include "common/TableStructure.h"
#include "util/JSONUtil.h"
#include "util/TevaroApp.h"
#include "util/UserManagementUtil.h"

#include "GuiApplication.h"
#include "OfflineClient.h"
#include "LiveNotifications.h"
#include "SimulatorTree.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateTime>
#include <QMap>
#include <QPixmap>
#include <QVariant>
#include <QVector>

#include <memory>

using namespace tevarobench;

namespace {

constexpr int userCount = 1000;
constexpr int roleCount = 4;
constexpr int watchedUserId = 7;

const char* const usersPath = "$.USMG.USLI";

// Users shaped like the simulator's: every tenth never logged in.
Json::Value users()
{
    Json::Value list(Json::arrayValue);
    const Json::Int64 first = 1709288100000LL;
    for (int i = 0; i < userCount; ++i) {
        Json::Value user(Json::objectValue);
        user["ID"] = i + 1;
        user["NAME"] = QStringLiteral("benutzer%1").arg(i + 1, 4, 10, QLatin1Char('0')).toStdString();
        user["USRO"]["ID"] = i % roleCount + 1;
        user["HINT"] = i % 3 == 0 ? "Schicht A" : "";
        user["LAST"]["DU"] = i % 10 == 9 ? Json::Int64(-5) : Json::Int64(first + Json::Int64(i) * 3600000LL);
        list.append(user);
    }
    return list;
}

// A client without a session whose mirror holds the simulator's tree with
// 1,000 users; one worker that shows the table and watches a user, and one
// that never read anything.
struct UserManagementBench
{
    UserManagementBench()
    {
        app = offlineClient(false);
        const Json::Value tree = simulatorTree();
        JSONUtil* json = app->getJSONUtil();
        appendTree(json, tree);
        json->appendJson(users(), QLatin1String(usersPath));

        worker.reset(new UserManagementUtil(nullptr));
        worker->getUserRoles();
        worker->getUserList();   // loads the trash picture
        worker->getUser(watchedUserId);
        idleWorker.reset(new UserManagementUtil(nullptr));
    }

    JSONUtil* json() { return app->getJSONUtil(); }

    std::unique_ptr<TevaroApp> app;
    std::unique_ptr<UserManagementUtil> worker;
    std::unique_ptr<UserManagementUtil> idleWorker;
};

UserManagementBench& bench()
{
    static UserManagementBench instance;
    return instance;
}

// ------------------------------------------------------------- user table

void BM_UserListBuild(benchmark::State& state)
{
    UserManagementUtil& worker = *bench().worker;
    int rows = -1;
    const auto connection =
        QObject::connect(&worker, &UserManagementUtil::updateUserList, [&](TableStructure& table) {
            rows = table.rowCount();
        });
    for (auto _ : state)
        worker.getUserList();
    QObject::disconnect(connection);
    if (rows != userCount || worker.getRoles().size() != roleCount)
        state.SkipWithError("the table or the roles are not complete");
    state.SetItemsProcessed(state.iterations() * userCount);
}
BENCHMARK(BM_UserListBuild)->Unit(benchmark::kMicrosecond);

// The same texts from one read of the list, a row of plain values per user.
void BM_UserListReadFloor(benchmark::State& state)
{
    JSONUtil* json = bench().json();
    const QMap<int, QString> roles = bench().worker->getRoles();
    const QString format = QLatin1String(UserManagementUtil::DATE_FORMAT);
    const QPixmap trash{QLatin1String(UserManagementUtil::TRASH_PICTURE)};
    if (trash.isNull()) {
        state.SkipWithError("the trash picture is missing");
        return;
    }
    int rowCount = 0;
    for (auto _ : state) {
        Json::Value list;
        json->getMasterJSONbyPath(QLatin1String(usersPath), list, true);
        QVector<QVector<QVariant>> rows;
        rows.reserve(int(list.size()));
        for (const Json::Value& user : list) {
            const Json::Value& name = user["NAME"];
            const Json::Value& role = user["USRO"]["ID"];
            const Json::Value& last = user["LAST"]["DU"];
            QString date;
            if (last.isInt64() && last.asInt64() >= 0)
                date = QDateTime::fromMSecsSinceEpoch(last.asInt64(), Qt::LocalTime).toString(format);
            rows.append({name.isString() ? QString::fromStdString(name.asString()) : QString(),
                         role.isInt() ? roles.value(role.asInt()) : QString(), date, trash});
        }
        rowCount = rows.size();
        benchmark::DoNotOptimize(rows.data());
    }
    if (rowCount != userCount)
        state.SkipWithError("the list is not complete");
    state.SetItemsProcessed(state.iterations() * userCount);
}
BENCHMARK(BM_UserListReadFloor)->Unit(benchmark::kMicrosecond);

// ------------------------------------------------------------- name taken

void BM_UserExists(benchmark::State& state)
{
    UserManagementUtil& worker = *bench().worker;
    if (!worker.userExists(QStringLiteral(" benutzer1000 "))) {
        state.SkipWithError("the last user is not found");
        return;
    }
    const QString freeName = QStringLiteral("neuer Benutzer");
    for (auto _ : state)
        benchmark::DoNotOptimize(worker.userExists(freeName));
    state.SetItemsProcessed(state.iterations() * userCount);
}
BENCHMARK(BM_UserExists)->Unit(benchmark::kMicrosecond);

void BM_UserListOneRead(benchmark::State& state)
{
    JSONUtil* json = bench().json();
    for (auto _ : state) {
        Json::Value list;
        json->getMasterJSONbyPath(QLatin1String(usersPath), list, true);
        benchmark::DoNotOptimize(list.size());
    }
    state.SetItemsProcessed(state.iterations() * userCount);
}
BENCHMARK(BM_UserListOneRead)->Unit(benchmark::kMicrosecond);

// ---------------------------------------------------------- notifications

void BM_UserManagementNotify(benchmark::State& state)
{
    queueLiveValues(state, bench().worker.get(), &UserManagementUtil::jsonTelegramm);
}
BENCHMARK(BM_UserManagementNotify)->Unit(benchmark::kMicrosecond);

void BM_UserManagementNotifyIdle(benchmark::State& state)
{
    queueLiveValues(state, bench().idleWorker.get(), &UserManagementUtil::jsonTelegramm);
}
BENCHMARK(BM_UserManagementNotifyIdle)->Unit(benchmark::kMicrosecond);

void BM_EmptySlotNotifyFloor(benchmark::State& state)
{
    bench();   // the same application as the workers' runs
    EmptyReceiver receiver;
    queueLiveValues(state, &receiver, &EmptyReceiver::onTelegram);
}
BENCHMARK(BM_EmptySlotNotifyFloor)->Unit(benchmark::kMicrosecond);

} // namespace

TEVARO_BENCH_RATIO("BM_UserListBuild", "BM_UserListReadFloor", 1.5);
TEVARO_BENCH_RATIO("BM_UserExists", "BM_UserListOneRead", 1.5);
TEVARO_BENCH_RATIO("BM_UserManagementNotify", "BM_EmptySlotNotifyFloor", 2.0);
TEVARO_BENCH_RATIO("BM_UserManagementNotifyIdle", "BM_EmptySlotNotifyFloor", 2.0);
