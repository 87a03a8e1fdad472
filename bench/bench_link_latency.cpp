// Latency of one device change to a worker on another thread, with the real
// poll (150 ms) and update (50 ms) intervals: a telegram is injected into the
// simulator's change log, and the time runs until telegramAvailable reaches a
// receiver that lives on a thread of its own through a queued connection.
//
// A few hundred changes are injected at random gaps (10..50 ms), so they fall
// on every phase of the poll timer; several are in flight at once, as live
// values would be. The device's live values are paused, so the injected
// changes are the only traffic ("live_changes" counts notifications of its
// measured values, and stays 0). Each latency is split where the time goes:
//   poll wait     change -> the data request that carries it reaches the device
//                 (simulator's request log, ms stamps)
//   reply held    -> the poll step that hands the answer to the received list
//                 (includes the round trip; sampled every ~0.1 ms)
//   receive wait  -> telegramAvailable emitted on the receive thread (direct slot)
//   delivery      -> the queued slot runs on the worker thread
// The round trip of one data request through HTTPRequestDAO is measured apart.

#include "LinkSession.h"

#include "common/GlobalEnums.h"
#include "dao/HTTPRequestDAO.h"
#include "util/JSONUtil.h"
#include "util/TevaroApp.h"

#include <benchmark/benchmark.h>

#include <QObject>
#include <QThread>
#include <QUrlQuery>

#include <cstdio>
#include <map>
#include <mutex>
#include <random>

using namespace tevarobench;

namespace {

constexpr int changeCount = 300;
constexpr int pollMs = TevaroApp::DEFAULT_POLL_MS;
constexpr int updateMs = TevaroApp::DEFAULT_UPDATE_MS;
constexpr int boundMs = 2 * pollMs + updateMs + 20;
constexpr int roundTripProbes = 50;

const QString changePrefix = QStringLiteral("$.BENCH.V");

int changeNumber(const QString& path)
{
    if (!path.startsWith(changePrefix))
        return -1;
    bool ok = false;
    const int number = path.midRef(changePrefix.size()).toInt(&ok);
    return ok && number >= 0 && number < changeCount ? number : -1;
}

// Per change, the stamps (nowUs) of its way through the link.
struct ChangeStamps
{
    std::int64_t changeId = -1;
    std::int64_t injected = -1;
    std::int64_t announced = -1;   // telegramAvailable emitted on the receive thread
    std::int64_t delivered = -1;   // the worker's queued slot ran
};

class StampBook
{
public:
    void set(int number, std::int64_t ChangeStamps::*field, std::int64_t value)
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (stamps[number].*field < 0)
            stamps[number].*field = value;
    }
    std::vector<ChangeStamps> copy()
    {
        std::lock_guard<std::mutex> guard(mutex);
        return stamps;
    }
    void reset()
    {
        std::lock_guard<std::mutex> guard(mutex);
        stamps.assign(changeCount, ChangeStamps());
    }

private:
    std::mutex mutex;
    std::vector<ChangeStamps> stamps = std::vector<ChangeStamps>(changeCount);
};

// A worker on its own thread: stamps each change notification it is handed.
class ChangeWorker : public QObject
{
public:
    ChangeWorker(StampBook& book, std::atomic<int>& delivered) : book(book), delivered(delivered) {}

    void onTelegram(GlobalEnums::InstructionType type, const QString& path)
    {
        if (path.startsWith(QLatin1String("$.DATA.MK")))
            ++liveChanges;   // the device's own live values: none while it is paused
        const int number = type == GlobalEnums::SET ? changeNumber(path) : -1;
        if (number < 0)
            return;
        book.set(number, &ChangeStamps::delivered, nowUs());
        ++delivered;
    }

    std::atomic<int> liveChanges{0};

private:
    StampBook& book;
    std::atomic<int>& delivered;
};

// Round trips of data requests through the transport the poll thread uses, in ms.
std::vector<double> measureRoundTrips(LinkSession& session)
{
    HTTPRequestDAO dao(5000);
    std::int64_t sent = 0;
    std::int64_t answered = -1;
    QObject::connect(&dao, &HTTPRequestDAO::replyAvailable,
                     [&](QVariant, HTTPRequestDAO::ResponseType) { answered = nowUs(); });
    const qint64 reqId = session.simulator.state()["reqId"].asInt64();
    const QString url = session.simulator.webServiceUrl() + "data?TOKN=" + session.json()->getToken()
                        + "&REQID=" + QString::number(reqId);
    std::vector<double> trips;
    for (int i = 0; i < roundTripProbes; ++i) {
        answered = -1;
        sent = nowUs();
        dao.requested(QVariant(QStringLiteral("dataRequest")), url, RequestMethod::Get);
        if (!LinkSession::runEventsUntil([&] { return answered >= 0; }, 2000))
            break;
        trips.push_back((answered - sent) / 1000.0);
        dao.clearReplies();
    }
    return trips;
}

// Arrival (ms since the epoch) and REQID of every data request the device saw.
std::vector<std::pair<std::int64_t, std::int64_t>> dataRequests(SimulatorProcess& simulator)
{
    std::vector<std::pair<std::int64_t, std::int64_t>> requests;
    for (const Json::Value& request : simulator.requestLog()) {
        if (request["path"].asString() != "/webservice/data")
            continue;
        const QUrlQuery query(QString::fromStdString(request["query"].asString()));
        requests.emplace_back(request["time"].asInt64(), query.queryItemValue(QStringLiteral("REQID")).toLongLong());
    }
    return requests;
}

struct Breakdown
{
    std::vector<double> total, pollWait, replyHeld, receiveWait, delivery;
};

Breakdown analyse(const std::vector<ChangeStamps>& stamps, const std::vector<std::pair<std::int64_t, std::int64_t>>& requests,
                  const ReceivedListMonitor& monitor)
{
    Breakdown parts;
    for (const ChangeStamps& change : stamps) {
        if (change.delivered < 0 || change.injected < 0)
            continue;
        parts.total.push_back((change.delivered - change.injected) / 1000.0);

        // The carrier is the last data request that still asked for changes older than this one.
        std::int64_t carrierMs = -1;
        for (const auto& request : requests) {
            if (request.second < change.changeId)
                carrierMs = request.first;
        }
        const std::int64_t listed = ReceivedListMonitor::lastAtOrBefore(monitor.fills, change.announced);
        if (carrierMs < 0 || listed < 0 || change.announced < 0)
            continue;
        const std::int64_t carrierUs = carrierMs * 1000;
        parts.pollWait.push_back(std::max<std::int64_t>(0, carrierUs - change.injected) / 1000.0);
        parts.replyHeld.push_back(std::max<std::int64_t>(0, listed - carrierUs) / 1000.0);
        parts.receiveWait.push_back((change.announced - listed) / 1000.0);
        parts.delivery.push_back((change.delivered - change.announced) / 1000.0);
    }
    return parts;
}

void printRow(const char* name, const std::vector<double>& values)
{
    std::printf("  %-34s %8.1f %8.1f %8.1f %8.1f\n", name, mean(values), percentile(values, 50), percentile(values, 99),
                percentile(values, 100));
}

void BM_ChangeToWorkerLatency(benchmark::State& state)
{
    LinkSession session;
    if (!session.open(pollMs, updateMs) || !session.login()) {
        state.SkipWithError("simulator or login failed");
        return;
    }
    session.app()->start();
    if (!session.waitForInitialPaths(10000)) {
        state.SkipWithError("initial paths did not arrive");
        return;
    }
    const std::vector<double> roundTrips = measureRoundTrips(session);

    StampBook book;
    std::atomic<int> delivered{0};
    QThread workerThread;
    ChangeWorker worker(book, delivered);
    worker.moveToThread(&workerThread);
    workerThread.start();
    using Notification = void (JSONUtil::*)(GlobalEnums::InstructionType, QString);
    const auto notification = static_cast<Notification>(&JSONUtil::telegramAvailable);
    // The direct slot runs on the receive thread, before the queued one is posted.
    const QMetaObject::Connection announced =
        QObject::connect(session.json(), notification, [&book](GlobalEnums::InstructionType type, QString path) {
            const int number = type == GlobalEnums::SET ? changeNumber(path) : -1;
            if (number >= 0)
                book.set(number, &ChangeStamps::announced, nowUs());
        });
    const QMetaObject::Connection queued =
        QObject::connect(session.json(), notification, &worker, &ChangeWorker::onTelegram, Qt::QueuedConnection);

    ReceivedListMonitor monitor(session.json());
    Breakdown parts;
    int lost = 0;
    for (auto _ : state) {
        book.reset();
        delivered = 0;
        worker.liveChanges = 0;
        session.simulator.clearRequestLog();
        monitor.start();
        std::mt19937 random(500);
        std::uniform_int_distribution<int> gapMs(10, 50);
        for (int i = 0; i < changeCount; ++i) {
            LinkSession::runEventsFor(gapMs(random));
            const std::int64_t before = nowUs();
            const Json::Value change = SimulatorProcess::setTelegram(changePrefix + QString::number(i), i);
            const qint64 id = session.simulator.injectTelegram(change, false);
            book.set(i, &ChangeStamps::injected, before);
            book.set(i, &ChangeStamps::changeId, id);
        }
        LinkSession::runEventsUntil([&] { return delivered.load() >= changeCount; }, 5000);
        monitor.stop();
        lost = changeCount - delivered.load();

        parts = analyse(book.copy(), dataRequests(session.simulator), monitor);
        state.SetIterationTime(mean(parts.total) / 1000.0);
    }

    QObject::disconnect(announced);
    QObject::disconnect(queued);
    workerThread.quit();
    workerThread.wait();

    const std::vector<double>& total = parts.total;
    const double withinBound =
        total.empty() ? 0
                      : std::count_if(total.begin(), total.end(), [](double ms) { return ms <= boundMs; })
                            / static_cast<double>(total.size());
    state.counters["changes"] = static_cast<double>(total.size());
    state.counters["lost"] = lost;
    state.counters["p50_ms"] = percentile(total, 50);
    state.counters["p99_ms"] = percentile(total, 99);
    state.counters["max_ms"] = percentile(total, 100);
    state.counters["bound_ms"] = boundMs;
    state.counters["in_bound"] = withinBound;
    state.counters["rtt_p50_ms"] = percentile(roundTrips, 50);
    state.counters["live_changes"] = worker.liveChanges.load();

    std::printf("\nChange -> worker on another thread, %zu changes (poll %d ms, update %d ms, bound %d ms):\n",
                total.size(), pollMs, updateMs, boundMs);
    std::printf("  %-34s %8s %8s %8s %8s\n", "ms", "mean", "p50", "p99", "max");
    printRow("poll wait (until request leaves)", parts.pollWait);
    printRow("reply held (RTT + next poll step)", parts.replyHeld);
    printRow("  of it: data request round trip", roundTrips);
    printRow("receive-thread wait and apply", parts.receiveWait);
    printRow("queued delivery to the worker", parts.delivery);
    printRow("total", total);
    std::fflush(stdout);
}

} // namespace

BENCHMARK(BM_ChangeToWorkerLatency)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(1)
    ->Unit(benchmark::kMillisecond);
