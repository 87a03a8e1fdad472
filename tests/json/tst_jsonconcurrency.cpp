// One thread applies telegrams while others query and serialise the same
// document: readers must never see a torn tree or a half-applied telegram.

#include "json/MasterJSON.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

using KORVALIS::JSON::JSONObject;

namespace {

constexpr int kTelegrams = 10000;
constexpr int kReaders = 4;
constexpr int kKeptElements = 10;   // $.L keeps its last 10 appended elements
constexpr int kKeys = 16;           // members of $.S

// Sets $.C.n and $.C.m to i in one telegram, churns an array and a set of
// members, so a reader can check that it sees whole telegrams only.
Json::Value telegramFor(int i)
{
    Json::Value telegram;
    Json::Value& sets = telegram["INST"]["SET"]["VAL"];
    sets[0u]["DEST"]["PATH"] = "$.C.n";
    sets[0u]["VAL"] = i;
    sets[1u]["DEST"]["PATH"] = "$.L[]";
    sets[1u]["VAL"]["i"] = i;
    sets[2u]["DEST"]["PATH"] = "$.S.k" + std::to_string(i % kKeys);
    sets[2u]["VAL"] = std::string(i % 7 * 10, 'x');
    sets[3u]["DEST"]["PATH"] = "$.C.m";
    sets[3u]["VAL"] = i;
    if (i >= kKeptElements) {
        telegram["INST"]["DEL"]["VAL"][0u]["DEST"]["PATH"] = "$.L[0]";
        telegram["INST"]["DEL"]["VAL"][0u]["MODE"] = 0;
    }
    return telegram;
}

// The invariant of a whole telegram: n == m (a null tree: before the first telegram).
bool consistent(const Json::Value& tree)
{
    return tree.isNull() || (tree["C"]["n"] == tree["C"]["m"] && tree["L"].isArray());
}

} // namespace

class TestJsonConcurrency : public QObject
{
    Q_OBJECT

private slots:
    void readersSeeWholeTelegrams()
    {
        KORVALIS::HighLevelCommunication::MasterJSON master;
        JSONObject& doc = master;
        std::atomic<bool> done{false};
        std::atomic<int> tornReads{0}, failedQueries{0}, reads{0};
        std::vector<std::thread> readers;
        for (int r = 0; r < kReaders; ++r) {
            readers.emplace_back([&, r] {
                while (!done.load()) {
                    // A short pause lets the writer find the lock free now and
                    // then, so the run time does not hang on the scheduler.
                    std::this_thread::sleep_for(std::chrono::microseconds(100));
                    if ((reads.fetch_add(1) + r) % 2 == 0) {
                        Json::Value parsed;
                        if (!Json::Reader().parse(doc.toString(), parsed) || !consistent(parsed) || !consistent(doc.snapshot()))
                            ++tornReads;
                    } else {
                        std::vector<Json::Value> values;
                        std::vector<std::string> paths;
                        if (!doc.query("$.S.*", values, &paths) || !doc.query("$.L[*].i", values, &paths)
                            || values.size() != paths.size())
                            ++failedQueries;
                    }
                }
            });
        }
        std::thread writer([&] {
            for (int i = 0; i < kTelegrams; ++i) {
                Json::Value telegram = telegramFor(i);
                std::vector<KORVALIS::JSON::TelegramResult> results;
                doc.applyTelegram(telegram, doc.getJSON(), &results);
            }
            done.store(true);
        });
        writer.join();
        for (std::thread& reader : readers)
            reader.join();

        QCOMPARE(tornReads.load(), 0);
        QCOMPARE(failedQueries.load(), 0);
        QVERIFY(reads.load() > kReaders);
        const Json::Value tree = doc.snapshot();
        QCOMPARE(tree["C"]["n"].asInt(), kTelegrams - 1);
        QCOMPARE(tree["S"].size(), Json::ArrayIndex(kKeys));
        QCOMPARE(tree["L"].size(), Json::ArrayIndex(kKeptElements));
        QCOMPARE(tree["L"][0u]["i"].asInt(), kTelegrams - kKeptElements);
        QCOMPARE(doc.toString(), Json::FastWriter().write(tree));
    }
};

QTEST_GUILESS_MAIN(TestJsonConcurrency)
#include "tst_jsonconcurrency.moc"
