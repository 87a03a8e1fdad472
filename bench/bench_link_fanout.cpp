// One device telegram of 10,000 changed paths, injected into the simulator's
// change log, until the last of its change notifications is handled by a
// queued receiver on the GUI (main) thread. Real poll (150 ms) and update
// (50 ms) intervals; the paths exist in the mirror beforehand
// ("$.BENCH.L[i].MW", loaded once), so every element is a change.
//
// Stamps along the way:
//   listed       a poll step parsed the answer and put it in the received list
//   taken        the receive thread took it from the list
//   announcing   beforeTelegramAvailable (the mirror has applied it)
//   announced    afterTelegramAvailable (every notification is posted)
//   handled      the GUI thread's receiver got the last one
// The answer's parse time is measured apart on the same text.

#include "LinkSession.h"

#include "common/CommonJSONUtil.h"
#include "common/GlobalEnums.h"
#include "util/JSONUtil.h"
#include "util/TevaroApp.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

#include <cstdio>

using namespace tevarobench;

namespace {

constexpr int pollMs = TevaroApp::DEFAULT_POLL_MS;
constexpr int updateMs = TevaroApp::DEFAULT_UPDATE_MS;
constexpr int elementCount = 10000;
const QString listPrefix = QStringLiteral("$.BENCH.L[");

Json::Value changeTelegram(int round)
{
    Json::Value telegram = SimulatorProcess::telegramTemplate();
    Json::Value& sets = telegram["INST"]["SET"]["VAL"];
    for (int i = 0; i < elementCount; ++i) {
        Json::Value element(Json::objectValue);
        element["DEST"]["PATH"] = "$.BENCH.L[" + std::to_string(i) + "].MW";
        element["MODE"] = 0;
        element["VAL"] = round * 1000.0 + i * 0.25;
        sets.append(element);
    }
    return telegram;
}

// The receiver on the GUI thread: counts the notifications of the list's paths.
class GuiReceiver : public QObject
{
public:
    void onTelegram(GlobalEnums::InstructionType type, const QString& path)
    {
        if (type != GlobalEnums::SET || !path.startsWith(listPrefix))
            return;
        if (++handled == elementCount)
            lastHandled = nowUs();
    }
    int handled = 0;
    std::int64_t lastHandled = -1;
};

struct Spans
{
    std::vector<double> total, toListed, listedWait, apply, emitting, drain;
};

void printRow(const char* name, const std::vector<double>& values)
{
    std::printf("  %-44s %8.1f %8.1f\n", name, mean(values), percentile(values, 100));
}

void BM_TelegramOf10000ToGuiThread(benchmark::State& state)
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
    // The nodes to change, loaded once.
    Json::Value list(Json::arrayValue);
    for (int i = 0; i < elementCount; ++i)
        list[i]["MW"] = 0.0;
    session.simulator.injectTelegram(SimulatorProcess::setTelegram(QStringLiteral("$.BENCH.L"), list), false);
    const QString lastPath = listPrefix + QString::number(elementCount - 1) + "].MW";
    if (!LinkSession::runEventsUntil([&] { return session.mirrorHolds({lastPath}); }, 10000)) {
        state.SkipWithError("the list to change did not arrive");
        return;
    }

    GuiReceiver receiver;
    using Notification = void (JSONUtil::*)(GlobalEnums::InstructionType, QString);
    const QMetaObject::Connection queued =
        QObject::connect(session.json(), static_cast<Notification>(&JSONUtil::telegramAvailable), &receiver,
                         &GuiReceiver::onTelegram, Qt::QueuedConnection);
    std::atomic<std::int64_t> announcing{-1};
    std::atomic<std::int64_t> announced{-1};
    const QMetaObject::Connection before = QObject::connect(session.json(), &JSONUtil::beforeTelegramAvailable, [&] {
        std::int64_t unset = -1;
        announcing.compare_exchange_strong(unset, nowUs());
    });
    const QMetaObject::Connection after =
        QObject::connect(session.json(), &JSONUtil::afterTelegramAvailable, [&] { announced = nowUs(); });

    ReceivedListMonitor monitor(session.json());
    Spans spans;
    std::vector<double> parseMs;
    int round = 0;
    for (auto _ : state) {
        ++round;
        const Json::Value telegram = changeTelegram(round);
        receiver.handled = 0;
        receiver.lastHandled = -1;
        announcing = -1;
        announced = -1;
        const qint64 lastId = session.simulator.state()["reqId"].asInt64();
        monitor.start();
        if (session.simulator.injectTelegram(telegram, false) < 0) {
            state.SkipWithError("injection failed");
            break;
        }
        const std::int64_t injected = nowUs();
        const bool done =
            LinkSession::runEventsUntil([&] { return receiver.handled >= elementCount; }, 20000);
        monitor.stop();
        if (!done) {
            state.SkipWithError("not every notification arrived within 20 s");
            break;
        }
        const std::int64_t listed = ReceivedListMonitor::lastAtOrBefore(monitor.fills, announcing);
        const std::int64_t taken = ReceivedListMonitor::lastAtOrBefore(monitor.drains, announcing);
        spans.total.push_back((receiver.lastHandled - injected) / 1000.0);
        spans.toListed.push_back((listed - injected) / 1000.0);
        spans.listedWait.push_back((taken - listed) / 1000.0);
        spans.apply.push_back((announcing - taken) / 1000.0);
        spans.emitting.push_back((announced - announcing) / 1000.0);
        spans.drain.push_back((receiver.lastHandled - announced) / 1000.0);
        state.SetIterationTime(spans.total.back() / 1000.0);

        // The same answer as the poll thread got it, parsed the way it parses answers.
        const QByteArray answer = session.simulator.data(session.json()->getToken(), lastId).body;
        QElapsedTimer clock;
        clock.start();
        Json::Value parsed;
        CommonJSONUtil::getJsonFromByteArray(answer, parsed);
        parseMs.push_back(clock.nsecsElapsed() / 1.0e6);
    }
    QObject::disconnect(queued);
    QObject::disconnect(before);
    QObject::disconnect(after);

    state.counters["elements"] = elementCount;
    state.counters["total_ms"] = mean(spans.total);
    state.counters["apply_ms"] = mean(spans.apply);
    state.counters["emit_ms"] = mean(spans.emitting);
    state.counters["gui_drain_ms"] = mean(spans.drain);
    state.counters["parse_ms"] = mean(parseMs);

    std::printf("\nTelegram of %d changed paths -> queued receiver on the GUI thread (%zu runs):\n", elementCount,
                spans.total.size());
    std::printf("  %-44s %8s %8s\n", "ms", "mean", "max");
    printRow("injected -> in the received list", spans.toListed);
    printRow("  of it: parse of the answer on the poll thread", parseMs);
    printRow("in the list -> taken by the receive thread", spans.listedWait);
    printRow("taken -> applied (beforeTelegramAvailable)", spans.apply);
    printRow("emitting the notifications", spans.emitting);
    printRow("afterTelegramAvailable -> last one handled", spans.drain);
    printRow("total", spans.total);
    std::fflush(stdout);
}

} // namespace

BENCHMARK(BM_TelegramOf10000ToGuiThread)
    ->UseManualTime()
    ->Iterations(3)
    ->Repetitions(1)
    ->Unit(benchmark::kMillisecond);
