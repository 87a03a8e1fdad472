// The JSON document: text cache, parsing and query sinks; device telegrams
// (deletes before sets, missing nodes created, elements that fail alone); and
// readers on other threads, which never see a half-applied telegram.

#include "JsonTestText.h"
#include "json/JSONObject.h"
#include "json/MasterJSON.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

using KORVALIS::JSON::JSONObject;
using KORVALIS::JSON::TelegramResult;

namespace {

QByteArray set(const QByteArray& path, const QByteArray& value)
{
    return R"({"DEST":{"PATH":")" + path + R"("},"VAL":)" + value + "}";
}

QByteArray del(const QByteArray& path, int mode = 0)
{
    return R"({"DEST":{"PATH":")" + path + R"("},"MODE":)" + QByteArray::number(mode) + "}";
}

QByteArray telegram(const QList<QByteArray>& deletes, const QList<QByteArray>& sets)
{
    return R"({"INST":{"DEL":{"VAL":[)" + deletes.join(',') + R"(]},"SET":{"VAL":[)" + sets.join(',') + "]}}}";
}

// Applies message to doc; "instruction|path|result" per record, joined by ";".
QString applied(JSONObject& doc, Json::Value& message, bool* ok = nullptr)
{
    std::vector<TelegramResult> results;
    const bool done = doc.applyTelegram(message, doc.getJSON(), &results);
    if (ok)
        *ok = done;
    QStringList parts;
    for (const TelegramResult& r : results)
        parts << QStringLiteral("%1|%2|%3").arg(r.instruction).arg(QString::fromStdString(r.path)).arg(r.result);
    return parts.join(';');
}

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

class TestJsonObject : public QObject
{
    Q_OBJECT

private slots:
    // Each starts from {"a":1} with a cached text and a stale change a = 2.
    void everyModifierEmptiesTheCache()
    {
        const std::pair<std::function<void(JSONObject&)>, QByteArray> rows[] = {
            {[](JSONObject& d) { std::string t = "{"; d.parse(t); }, R"({"a":2})"},
            {[](JSONObject& d) { Json::Value v(9); d.swapJSON(v); }, "9"},
            {[](JSONObject& d) {
                 Json::Value t = fromText(R"({"INST":{"SET":{"VAL":[{"DEST":{"PATH":"$.c"},"VAL":5}]}}})");
                 d.applyTelegram(t, d.getJSON(), nullptr);
             }, R"({"a":2,"c":5})"},
            {[](JSONObject& d) { d.clear(); }, "null"},
        };
        for (const auto& [operation, expected] : rows) {
            JSONObject doc(fromText(R"({"a":1})"));
            QCOMPARE(doc.toString(), std::string("{\"a\":1}\n"));
            doc.getMember("a") = 2;
            operation(doc);
            QCOMPARE(QByteArray::fromStdString(doc.toString()), expected + "\n");
        }
    }

    // A failed parse keeps the old root.
    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("root");          // compact text; empty: the old root kept
        QTest::addColumn<QByteArray>("cleanedText");   // the caller's text afterwards; empty: not checked
        QTest::newRow("text around the object") << QByteArray(R"(xx{"a":1}yy)") << QByteArray(R"({"a":1})")
                                                << QByteArray(R"({"a":1}yy)");
        QTest::newRow("raw tab and comment inside a string are kept")
            << QByteArray("{\"s\":\"a\t/*x*/b\"}") << QByteArray(R"({"s":"a\t/*x*/b"})") << QByteArray("{\"s\":\"a\t/*x*/b\"}");
        QTest::newRow("escaped backslash ends before the quote")
            << QByteArray("{\"s\":\"a\\\\\"/*c*/}") << QByteArray(R"({"s":"a\\"})") << QByteArray("{\"s\":\"a\\\\\"}");
        QTest::newRow("comments and whitespace outside strings")
            << QByteArray("/* {head} */\r\n// {line}\n{\t\"a\" : 1, /* c */\"b\":[1,\r\n2] // tail\n}")
            << QByteArray(R"({"a":1,"b":[1,2]})") << QByteArray(R"({"a" : 1, "b":[1,2] })");
        QTest::newRow("number too large for a double") << QByteArray(R"({"n":1e400})") << QByteArray() << QByteArray();
        QTest::newRow("nested 100000 levels")
            << QByteArray("{\"a\":") + QByteArray(100000, '[') + QByteArray(100000, ']') + "}" << QByteArray() << QByteArray();
    }

    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, root);
        QFETCH(QByteArray, cleanedText);
        const QByteArray oldRoot = R"({"old":1})";
        JSONObject doc(fromText(oldRoot));
        std::string input = text.toStdString();
        QCOMPARE(doc.parse(input), !root.isEmpty());
        QCOMPARE(compact(*doc.getJSON()), root.isEmpty() ? oldRoot : root);
        if (!cleanedText.isEmpty())
            QCOMPARE(QByteArray::fromStdString(input), cleanedText);
    }

    void queryAppendsCopiesAndPaths()
    {
        JSONObject doc(fromText(R"({"A":[{"ID":5},{"ID":7},{"ID":5}],"B":{"x":1}})"));
        std::vector<Json::Value> values{Json::Value("kept")};
        std::vector<std::string> paths{"kept"};
        QVERIFY(doc.query("$.A[?(@.ID==5)]", values, &paths));
        QVERIFY(doc.query("$.A[1].ID", values, &paths));
        QVERIFY(!doc.query("$.B[0]", values, &paths));   // an index step on an object adds nothing
        QCOMPARE(values.size(), std::size_t(4));
        QCOMPARE(values[1], fromText(R"({"ID":5})"));
        QCOMPARE(paths, (std::vector<std::string>{"kept", "$.A[0]", "$.A[2]", "$.A[1].ID"}));
        // Hits are copies, and the shared lock is released after a failure.
        doc.setMember(Json::Value(0), "A");
        QCOMPARE(values[3], Json::Value(7));

        // 30 copies of 200,001 nodes each is more than one query may copy.
        Json::Value tree(Json::objectValue);
        for (int i = 0; i < 200000; ++i)
            tree["A"].append(i);
        JSONObject big(tree);
        values.clear();
        QVERIFY(big.query("$[A,A,A]", values, nullptr) && values.size() == 3);
        values.clear();
        const std::string thirtyCopies = "$[A" + QByteArray(",A").repeated(29).toStdString() + "]";
        QVERIFY(!big.query(thirtyCopies, values, nullptr) && values.empty());
    }

    void apply_data()
    {
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("telegram");
        QTest::addColumn<QByteArray>("end");
        QTest::addColumn<QString>("records");
        const auto row = [](const char* name, const char* start, const QByteArray& telegram, const QByteArray& end,
                            const QString& records) {
            QTest::newRow(name) << QByteArray(start) << telegram << end << records;
        };

        // Sets: creation, merging and replacing.
        row("set creates objects", "{}", telegram({}, {set("$.A.B", "5")}), R"({"A":{"B":5}})", "2|$.A.B|0");
        row("object merges one level", R"({"A":{"B":{"x":1,"z":{"k":1}}}})",
            telegram({}, {set("$.A.B", R"({"x":9,"y":[8,{"w":1}],"z":{"m":2}})")}),
            R"({"A":{"B":{"x":9,"y":[8,{"w":1}],"z":{"m":2}}}})", "2|$.A.B|0");
        row("set pads an array", "{}", telegram({}, {set("$.L[1].x", "1")}), R"({"L":[null,{"x":1}]})", "2|$.L[1].x|0");
        row("append fills the one null", R"({"L":[null]})", telegram({}, {set("$.L[]", "2")}), R"({"L":[2]})", "2|$.L[]|0");
        row("index -1 appends", R"({"L":[1]})", telegram({}, {set("$.L[-1]", "2")}), R"({"L":[1,2]})", "2|$.L[-1]|0");
        row("set of $ alone changes nothing", R"({"A":1})", telegram({}, {set("$", R"({"B":2})")}), R"({"A":1})", "2|$|0");

        // Deletes: never create or grow anything.
        row("delete mode 0 removes", R"({"L":[10,20,30]})", telegram({del("$.L[1]", 0)}, {}), R"({"L":[10,30]})", "3|$.L[1]|0");
        row("delete of a missing path creates nothing", R"({"L":[]})", telegram({del("$.A.B"), del("$.L[3].x")}, {}),
            R"({"L":[]})", "3|$.A.B|0;3|$.L[3].x|0");
        row("delete at, beyond the end or below 0", R"({"L":[10]})",
            telegram({del("$.L[1]", 1), del("$.L[2000000000]", 1), del("$.L[-5]", 1)}, {}), R"({"L":[10]})",
            "3|$.L[1]|0;3|$.L[2000000000]|0;3|$.L[-5]|0");
        row("delete of a number fails", R"({"A":{"B":3}})", telegram({del("$.A.B")}, {}), R"({"A":{"B":3}})", "3|$.A.B|3");
        row("delete then set, in that order", R"({"A":{"x":1}})", telegram({del("$.A")}, {set("$.A", R"({"y":2})")}),
            R"({"A":{"y":2}})", "3|$.A|0;2|$.A|0");

        // Rejected and failed elements; the others are applied.
        row("path without $", "{}", telegram({del("A.B")}, {set("A.B", "1"), set("$.C", "1")}), R"({"C":1})",
            "3|A.B|1;2|A.B|1;2|$.C|0");
        row("object onto a number fails alone", R"({"B":3})",
            telegram({}, {set("$.X", "1"), set("$.B", R"({"x":1})"), set("$.Y", "2")}), R"({"B":3,"X":1,"Y":2})",
            "2|$.X|0;2|$.B|3;2|$.Y|0");
        row("failed element creates no node on its way", "{}",
            telegram({}, {set("$.A.B.C[x]", "1"), set("$.N.M[200000]", "1")}), "{}", "2|$.A.B.C[x]|3;2|$.N.M[200000]|3");
        row("non-object element", "{}", telegram({"5"}, {"null", set("$.C", "1")}), R"({"C":1})", "3||3;2||3;2|$.C|0");

        // Hostile paths and indices.
        row("bad indices", R"({"L":[1]})",
            telegram({}, {set("$.L[1]x", "1"), set("$.L[[1]]", "1"), set("$.L[99999999999]", "1"), set("$.L[-5]", "1")}),
            R"({"L":[1]})", "2|$.L[1]x|3;2|$.L[[1]]|3;2|$.L[99999999999]|3;2|$.L[-5]|3");
        row("path syntax", "{}", telegram({del("$.A.*")}, {set("$.U.L[?(@.N==x)]", "1"), set("$.A(1)", "1")}), "{}",
            "3|$.A.*|3;2|$.U.L[?(@.N==x)]|3;2|$.A(1)|3");
        // At most 256 path parts; the failed element creates nothing.
        const QByteArray a255 = QByteArray(".a").repeated(255);
        row("path part limit", "{}", telegram({}, {set("$.b" + a255, "1"), set("$" + a255, "1")}),
            QByteArray(R"({"a":)").repeated(255) + "1" + QByteArray("}").repeated(255),
            QString("2|$.b%1|3;2|$%1|0").arg(QString(a255)));
        // Unreadable telegrams: no record, nothing changed, a failure.
        for (const char* unreadable : {R"([{"INST":{}}])", "null", R"({"INST":[{"SET":{"VAL":[]}}]})"})
            row(unreadable, R"({"A":1})", unreadable, R"({"A":1})", QString());
    }

    // Callers forward a telegram after applying it: its values must still be there.
    // A telegram is refused as a whole exactly when it gives no record.
    void apply()
    {
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, telegram);
        QFETCH(QByteArray, end);
        QFETCH(QString, records);
        JSONObject doc(fromText(start));
        Json::Value message = fromText(telegram);
        bool ok = false;
        QCOMPARE(applied(doc, message, &ok), records);
        QCOMPARE(ok, !records.isEmpty());
        QCOMPARE(compact(*doc.getJSON()), end);
        QCOMPARE(*doc.getJSON(), fromText(end));   // padded arrays are dense
        QCOMPARE(message, fromText(telegram));
    }

    // At most 100,000 nulls of padding per telegram.
    void paddingLimit()
    {
        JSONObject doc(fromText("{}"));
        Json::Value message =
            fromText(telegram({}, {set("$.L[100000]", "1"), set("$.M[1]", "1"), set("$.L[100001]", "1")}));
        QCOMPARE(applied(doc, message), QString("2|$.L[100000]|0;2|$.M[1]|3;2|$.L[100001]|3"));
        QCOMPARE(doc.getMember("L").size(), Json::ArrayIndex(100001));
        Json::Value next = fromText(telegram({}, {set("$.M[60000]", "1"), set("$.N[60000]", "1")}));
        QCOMPARE(applied(doc, next), QString("2|$.M[60000]|0;2|$.N[60000]|3"));
        QVERIFY(!doc.getJSON()->isMember("N"));
    }

    void deeplyNestedValue()
    {
        JSONObject doc(fromText(R"({"A":1})"));
        Json::Value message;
        Json::Value& element = message["INST"]["SET"]["VAL"][0u];
        element["DEST"]["PATH"] = "$.D";
        Json::Value* node = &element["VAL"];
        for (int i = 0; i < 100000; ++i)
            node = &(*node)["a"];
        *node = 1;
        message["INST"]["SET"]["VAL"][1u] = fromText(set("$.E", "2"));
        const QString records = applied(doc, message);
        // Freed without recursing through it.
        std::vector<Json::Value> pending(1);
        pending.back().swap(message);
        while (!pending.empty()) {
            Json::Value value;
            value.swap(pending.back());
            pending.pop_back();
            for (auto it = value.begin(); it != value.end(); ++it) {
                pending.emplace_back();
                pending.back().swap(*it);
            }
        }
        QCOMPARE(records, QString("2|$.D|3;2|$.E|0"));
        QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"A":1,"E":2})"));
    }

    // The elements are read while the tree changes; a telegram that is the tree
    // itself must not pull them away from under the reader.
    void telegramThatIsTheTree()
    {
        JSONObject doc(fromText(telegram({}, {set("$.INST", "5"), set("$.B", "1")})));
        QCOMPARE(applied(doc, *doc.getJSON()), QString("2|$.INST|0;2|$.B|0"));
        QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"B":1,"INST":5})"));
    }

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
                        if (!Json::Reader().parse(doc.toString(), parsed) || !consistent(parsed)
                            || !consistent(doc.snapshot()))
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
        QVERIFY(tree["S"].size() == kKeys && tree["L"].size() == kKeptElements);
        QCOMPARE(tree["L"][0u]["i"].asInt(), kTelegrams - kKeptElements);
        QCOMPARE(doc.toString(), Json::FastWriter().write(tree));
    }
};

QTEST_GUILESS_MAIN(TestJsonObject)
#include "tst_jsonobject.moc"
