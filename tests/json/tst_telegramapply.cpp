// Application of device telegrams: deletes before sets, creation of missing
// nodes, per-element results, and elements that fail alone.

#include "JsonTestText.h"
#include "json/JSONObject.h"

#include <QtTest>

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

// "instruction|path|result" per record, joined by ";".
QString describe(const std::vector<TelegramResult>& records)
{
    QStringList parts;
    for (const TelegramResult& r : records)
        parts << QStringLiteral("%1|%2|%3").arg(r.instruction).arg(QString::fromStdString(r.path)).arg(r.result);
    return parts.join(';');
}

// Frees a deeply nested value without recursing through it.
void dismantle(Json::Value& value)
{
    std::vector<Json::Value> pending(1);
    pending.back().swap(value);
    while (!pending.empty()) {
        Json::Value node;
        node.swap(pending.back());
        pending.pop_back();
        for (auto it = node.begin(); it != node.end(); ++it) {
            pending.emplace_back();
            pending.back().swap(*it);
        }
    }
}

} // namespace

class TestTelegramApply : public QObject
{
    Q_OBJECT

private slots:
    void apply_data();
    void apply();
    void unreadableTelegramChangesNothing_data();
    void unreadableTelegramChangesNothing();
    void pathPartLimit();
    void paddingLimit();
    void deeplyNestedValue();
    void resultsAreAppended();
    void telegramIsLeftAsItWas();
    void telegramThatIsTheTree();
    void gapsInAListAreNullElements();
    void arrayElementsAreRemovedThroughTheDocument();
    void parsePathElement_data();
    void parsePathElement();
    void padArray_data();
    void padArray();
};

void TestTelegramApply::apply_data()
{
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("telegram");
    QTest::addColumn<QByteArray>("end");
    QTest::addColumn<QString>("records");

    // Sets: creation, merging and replacing.
    QTest::newRow("set creates objects") << QByteArray("{}") << telegram({}, {set("$.A.B", "5")})
                                         << QByteArray(R"({"A":{"B":5}})") << "2|$.A.B|0";
    QTest::newRow("set on a null tree") << QByteArray("null") << telegram({}, {set("$.A", "1")})
                                        << QByteArray(R"({"A":1})") << "2|$.A|0";
    QTest::newRow("object merges one level") << QByteArray(R"({"A":{"B":{"x":1,"z":{"k":1}}}})")
                                             << telegram({}, {set("$.A.B", R"({"x":9,"y":8,"z":{"m":2}})")})
                                             << QByteArray(R"({"A":{"B":{"x":9,"y":8,"z":{"m":2}}}})") << "2|$.A.B|0";
    QTest::newRow("number replaces an object") << QByteArray(R"({"B":{"x":1}})") << telegram({}, {set("$.B", "3")})
                                               << QByteArray(R"({"B":3})") << "2|$.B|0";
    QTest::newRow("array replaces a number") << QByteArray(R"({"B":3})") << telegram({}, {set("$.B", "[1]")})
                                             << QByteArray(R"({"B":[1]})") << "2|$.B|0";
    QTest::newRow("set pads an array") << QByteArray("{}") << telegram({}, {set("$.L[3]", "1")})
                                       << QByteArray(R"({"L":[null,null,null,1]})") << "2|$.L[3]|0";
    QTest::newRow("set inside an array element") << QByteArray("{}") << telegram({}, {set("$.L[1].x", "1")})
                                                 << QByteArray(R"({"L":[null,{"x":1}]})") << "2|$.L[1].x|0";
    QTest::newRow("set replaces an element") << QByteArray(R"({"L":[1,2]})") << telegram({}, {set("$.L[0]", "7")})
                                             << QByteArray(R"({"L":[7,2]})") << "2|$.L[0]|0";
    QTest::newRow("append") << QByteArray(R"({"L":[1]})") << telegram({}, {set("$.L[]", "2")})
                            << QByteArray(R"({"L":[1,2]})") << "2|$.L[]|0";
    QTest::newRow("append fills the one null") << QByteArray(R"({"L":[null]})") << telegram({}, {set("$.L[]", "2")})
                                               << QByteArray(R"({"L":[2]})") << "2|$.L[]|0";
    QTest::newRow("append to a missing array") << QByteArray("{}") << telegram({}, {set("$.L[]", "2")})
                                               << QByteArray(R"({"L":[2]})") << "2|$.L[]|0";
    QTest::newRow("index -1 appends") << QByteArray(R"({"L":[1]})") << telegram({}, {set("$.L[-1]", "2")})
                                      << QByteArray(R"({"L":[1,2]})") << "2|$.L[-1]|0";
    QTest::newRow("set of $ alone changes nothing") << QByteArray(R"({"A":1})") << telegram({}, {set("$", R"({"B":2})")})
                                                    << QByteArray(R"({"A":1})") << "2|$|0";
    QTest::newRow("set below a null member") << QByteArray(R"({"A":null})") << telegram({}, {set("$.A.B", "1")})
                                             << QByteArray(R"({"A":{"B":1}})") << "2|$.A.B|0";
    QTest::newRow("set onto a null member") << QByteArray(R"({"A":null})") << telegram({}, {set("$.A", "5")})
                                            << QByteArray(R"({"A":5})") << "2|$.A|0";
    QTest::newRow("set extends an existing path") << QByteArray(R"({"A":{"x":1}})") << telegram({}, {set("$.A.B.C", "1")})
                                                  << QByteArray(R"({"A":{"B":{"C":1},"x":1}})") << "2|$.A.B.C|0";
    QTest::newRow("set beyond an existing element") << QByteArray(R"({"L":[{"a":1}]})") << telegram({}, {set("$.L[2].b", "1")})
                                                    << QByteArray(R"({"L":[{"a":1},null,{"b":1}]})") << "2|$.L[2].b|0";
    QTest::newRow("object merges into an existing element") << QByteArray(R"({"L":[{"a":1}]})")
                                                            << telegram({}, {set("$.L[0]", R"({"b":2})")})
                                                            << QByteArray(R"({"L":[{"a":1,"b":2}]})") << "2|$.L[0]|0";
    QTest::newRow("empty part is a member name") << QByteArray("{}") << telegram({}, {set("$..A", "1")})
                                                 << QByteArray(R"({"":{"A":1}})") << "2|$..A|0";

    // Deletes: never create or grow anything.
    QTest::newRow("delete mode 0 removes") << QByteArray(R"({"L":[10,20,30]})") << telegram({del("$.L[1]", 0)}, {})
                                           << QByteArray(R"({"L":[10,30]})") << "3|$.L[1]|0";
    QTest::newRow("delete mode 1 nulls") << QByteArray(R"({"L":[10,20,30]})") << telegram({del("$.L[1]", 1)}, {})
                                         << QByteArray(R"({"L":[10,null,30]})") << "3|$.L[1]|0";
    QTest::newRow("delete mode 2 keeps") << QByteArray(R"({"L":[10,20,30]})") << telegram({del("$.L[1]", 2)}, {})
                                         << QByteArray(R"({"L":[10,20,30]})") << "3|$.L[1]|0";
    QTest::newRow("delete beyond the end, mode 0") << QByteArray(R"({"L":[10,20,30]})") << telegram({del("$.L[5]", 0)}, {})
                                                   << QByteArray(R"({"L":[10,20,30]})") << "3|$.L[5]|0";
    QTest::newRow("delete beyond the end, mode 1") << QByteArray(R"({"L":[10,20,30]})") << telegram({del("$.L[5]", 1)}, {})
                                                   << QByteArray(R"({"L":[10,20,30]})") << "3|$.L[5]|0";
    QTest::newRow("delete far beyond the end") << QByteArray(R"({"L":[10]})") << telegram({del("$.L[2000000000]", 1)}, {})
                                               << QByteArray(R"({"L":[10]})") << "3|$.L[2000000000]|0";
    QTest::newRow("delete negative index") << QByteArray(R"({"L":[10]})") << telegram({del("$.L[-5]", 1)}, {})
                                           << QByteArray(R"({"L":[10]})") << "3|$.L[-5]|0";
    QTest::newRow("delete empties an object") << QByteArray(R"({"A":{"B":{"x":1}}})") << telegram({del("$.A.B")}, {})
                                              << QByteArray(R"({"A":{"B":{}}})") << "3|$.A.B|0";
    QTest::newRow("delete of a missing path creates nothing") << QByteArray("{}") << telegram({del("$.A.B")}, {})
                                                              << QByteArray("{}") << "3|$.A.B|0";
    QTest::newRow("delete below a missing element creates nothing") << QByteArray(R"({"L":[]})") << telegram({del("$.L[3].x")}, {})
                                                                    << QByteArray(R"({"L":[]})") << "3|$.L[3].x|0";
    QTest::newRow("delete inside an element") << QByteArray(R"({"L":[{"x":[1]}]})") << telegram({del("$.L[0].x")}, {})
                                              << QByteArray(R"({"L":[{"x":[]}]})") << "3|$.L[0].x|0";
    QTest::newRow("delete of a null stays null") << QByteArray(R"({"A":null})") << telegram({del("$.A")}, {})
                                                 << QByteArray(R"({"A":null})") << "3|$.A|0";
    QTest::newRow("delete of a number fails") << QByteArray(R"({"A":{"B":3}})") << telegram({del("$.A.B")}, {})
                                              << QByteArray(R"({"A":{"B":3}})") << "3|$.A.B|3";
    QTest::newRow("delete with [] empties the array") << QByteArray(R"({"L":[1,2]})") << telegram({del("$.L[]")}, {})
                                                      << QByteArray(R"({"L":[]})") << "3|$.L[]|0";
    QTest::newRow("delete with [-1] empties the array") << QByteArray(R"({"L":[1,2]})") << telegram({del("$.L[-1]")}, {})
                                                        << QByteArray(R"({"L":[]})") << "3|$.L[-1]|0";
    QTest::newRow("delete with [] of a text fails") << QByteArray(R"({"S":"t"})") << telegram({del("$.S[]")}, {})
                                                    << QByteArray(R"({"S":"t"})") << "3|$.S[]|3";
    QTest::newRow("delete mode 0 of an object element keeps it") << QByteArray(R"({"O":{"1":2}})") << telegram({del("$.O[1]", 0)}, {})
                                                                  << QByteArray(R"({"O":{"1":2}})") << "3|$.O[1]|0";
    QTest::newRow("delete mode 1 of an object element fails") << QByteArray(R"({"O":{"1":2}})") << telegram({del("$.O[1]", 1)}, {})
                                                              << QByteArray(R"({"O":{"1":2}})") << "3|$.O[1]|3";
    QTest::newRow("delete through a number fails") << QByteArray(R"({"A":5})") << telegram({del("$.A.B")}, {})
                                                   << QByteArray(R"({"A":5})") << "3|$.A.B|3";
    QTest::newRow("delete then set, in that order") << QByteArray(R"({"A":{"x":1}})")
                                                    << telegram({del("$.A")}, {set("$.A", R"({"y":2})")})
                                                    << QByteArray(R"({"A":{"y":2}})") << "3|$.A|0;2|$.A|0";

    // Rejected and failed elements; the others are applied.
    QTest::newRow("path without $") << QByteArray("{}") << telegram({del("A.B")}, {set("A.B", "1"), set("$.C", "1")})
                                    << QByteArray(R"({"C":1})") << "3|A.B|1;2|A.B|1;2|$.C|0";
    QTest::newRow("element without DEST") << QByteArray("{}") << telegram({}, {R"({"VAL":1})", set("$.C", "1")})
                                          << QByteArray(R"({"C":1})") << "2||1;2|$.C|0";
    QTest::newRow("set without VAL") << QByteArray("{}") << telegram({}, {R"({"DEST":{"PATH":"$.A"}})", set("$.C", "1")})
                                     << QByteArray(R"({"C":1})") << "2|$.A|2;2|$.C|0";
    QTest::newRow("object onto a number fails alone") << QByteArray(R"({"B":3})")
                                                      << telegram({}, {set("$.X", "1"), set("$.B", R"({"x":1})"), set("$.Y", "2")})
                                                      << QByteArray(R"({"B":3,"X":1,"Y":2})") << "2|$.X|0;2|$.B|3;2|$.Y|0";
    QTest::newRow("object onto an array fails") << QByteArray(R"({"B":[1]})") << telegram({}, {set("$.B", R"({"x":1})")})
                                                << QByteArray(R"({"B":[1]})") << "2|$.B|3";
    QTest::newRow("object onto an array element that is a number fails") << QByteArray(R"({"L":[1]})")
                                                                         << telegram({}, {set("$.L[0]", R"({"x":1})")})
                                                                         << QByteArray(R"({"L":[1]})") << "2|$.L[0]|3";
    QTest::newRow("member of a number fails") << QByteArray(R"({"A":5})") << telegram({}, {set("$.A.B", "1")})
                                              << QByteArray(R"({"A":5})") << "2|$.A.B|3";
    QTest::newRow("index into an object fails") << QByteArray(R"({"A":{"x":1}})") << telegram({}, {set("$.A[0]", "1")})
                                                << QByteArray(R"({"A":{"x":1}})") << "2|$.A[0]|3";
    QTest::newRow("set on an array tree fails") << QByteArray("[1]") << telegram({}, {set("$.A", "1")})
                                                << QByteArray("[1]") << "2|$.A|3";
    QTest::newRow("failed element creates no node on its way") << QByteArray("{}")
                                                               << telegram({}, {set("$.A.B.C[x]", "1"), set("$.N.M[200000]", "1")})
                                                               << QByteArray("{}") << "2|$.A.B.C[x]|3;2|$.N.M[200000]|3";
    QTest::newRow("non-object element") << QByteArray("{}") << telegram({"5"}, {"null", set("$.C", "1")})
                                        << QByteArray(R"({"C":1})") << "3||3;2||3;2|$.C|0";
    QTest::newRow("MODE not a number") << QByteArray(R"({"L":[1]})") << telegram({R"({"DEST":{"PATH":"$.L[0]"},"MODE":"x"})"}, {})
                                       << QByteArray(R"({"L":[1]})") << "3|$.L[0]|3";
    QTest::newRow("DEST not an object") << QByteArray("{}") << telegram({}, {R"({"DEST":"$.A","VAL":1})"})
                                        << QByteArray("{}") << "2||3";
    QTest::newRow("PATH not a text") << QByteArray("{}") << telegram({}, {R"({"DEST":{"PATH":{"a":1}},"VAL":1})"})
                                     << QByteArray("{}") << "2||3";

    // Hostile paths and indices.
    QTest::newRow("index not a number") << QByteArray("{}") << telegram({del("$.L[x]")}, {set("$.L[x]", "1")})
                                        << QByteArray("{}") << "3|$.L[x]|3;2|$.L[x]|3";
    QTest::newRow("text behind the index") << QByteArray("{}") << telegram({}, {set("$.L[1]x", "1")})
                                           << QByteArray("{}") << "2|$.L[1]x|3";
    QTest::newRow("nested brackets") << QByteArray("{}") << telegram({}, {set("$.L[[1]]", "1")})
                                     << QByteArray("{}") << "2|$.L[[1]]|3";
    QTest::newRow("index beyond int") << QByteArray("{}") << telegram({}, {set("$.L[99999999999]", "1")})
                                      << QByteArray("{}") << "2|$.L[99999999999]|3";
    QTest::newRow("absurd index") << QByteArray("{}") << telegram({}, {set("$.L[2000000000]", "1")})
                                  << QByteArray("{}") << "2|$.L[2000000000]|3";
    QTest::newRow("negative index") << QByteArray(R"({"L":[1]})") << telegram({}, {set("$.L[-5]", "1")})
                                    << QByteArray(R"({"L":[1]})") << "2|$.L[-5]|3";
    QTest::newRow("JSONPath filter") << QByteArray("{}") << telegram({}, {set("$.U.L[?(@.N==x)]", "1")})
                                     << QByteArray("{}") << "2|$.U.L[?(@.N==x)]|3";
    QTest::newRow("wildcard") << QByteArray("{}") << telegram({del("$.A.*")}, {set("$.A*", "1")})
                              << QByteArray("{}") << "3|$.A.*|3;2|$.A*|3";
    QTest::newRow("script") << QByteArray("{}") << telegram({}, {set("$.A(1)", "1")})
                            << QByteArray("{}") << "2|$.A(1)|3";

    // Lists of the wrong shape are skipped.
    QTest::newRow("DEL list not an object") << QByteArray("{}")
                                            << QByteArray(R"({"INST":{"DEL":5,"SET":{"VAL":[{"DEST":{"PATH":"$.A"},"VAL":1}]}}})")
                                            << QByteArray(R"({"A":1})") << "2|$.A|0";
    QTest::newRow("VAL not an array") << QByteArray("{}")
                                      << QByteArray(R"({"INST":{"SET":{"VAL":{"DEST":{"PATH":"$.A"},"VAL":1}}}})")
                                      << QByteArray("{}") << "";
    QTest::newRow("lists without elements") << QByteArray(R"({"A":1})") << QByteArray(R"({"INST":{"DEL":{"VAL":null},"SET":{}}})")
                                            << QByteArray(R"({"A":1})") << "";
    QTest::newRow("no INST") << QByteArray(R"({"A":1})") << QByteArray(R"({"MSG":[]})")
                             << QByteArray(R"({"A":1})") << "";
}

void TestTelegramApply::apply()
{
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, telegram);
    QFETCH(QByteArray, end);
    QFETCH(QString, records);

    JSONObject doc(fromText(start));
    Json::Value message = fromText(telegram);
    std::vector<TelegramResult> results;
    QVERIFY(doc.applyTelegram(message, doc.getJSON(), &results));
    QCOMPARE(compact(*doc.getJSON()), end);
    QCOMPARE(*doc.getJSON(), fromText(end));   // padded arrays are dense
    QCOMPARE(describe(results), records);
}

void TestTelegramApply::unreadableTelegramChangesNothing_data()
{
    QTest::addColumn<QByteArray>("telegram");

    QTest::newRow("array") << QByteArray(R"([{"INST":{}}])");
    QTest::newRow("number") << QByteArray("5");
    QTest::newRow("null") << QByteArray("null");
    QTest::newRow("INST a number") << QByteArray(R"({"INST":5})");
    QTest::newRow("INST an array") << QByteArray(R"({"INST":[{"SET":{"VAL":[]}}]})");
}

void TestTelegramApply::unreadableTelegramChangesNothing()
{
    QFETCH(QByteArray, telegram);

    JSONObject doc(fromText(R"({"A":1})"));
    const std::string before = doc.toString();
    Json::Value message = fromText(telegram);
    std::vector<TelegramResult> results;
    QVERIFY(!doc.applyTelegram(message, doc.getJSON(), &results));
    QVERIFY(results.empty());
    QCOMPARE(doc.toString(), before);
    QCOMPARE(message, fromText(telegram));
}

void TestTelegramApply::pathPartLimit()
{
    QByteArray path256 = "$";
    for (int i = 1; i < 256; ++i)
        path256 += ".a";
    const QByteArray path257 = path256 + ".a";
    const QByteArray path300 = path256 + QByteArray(".b").repeated(44);

    JSONObject doc(fromText("{}"));
    Json::Value message = fromText(telegram({}, {set(path300, "1"), set(path257, "1"), set(path256, "1")}));
    std::vector<TelegramResult> results;
    QVERIFY(doc.applyTelegram(message, doc.getJSON(), &results));
    QCOMPARE(results.size(), std::size_t(3));
    QCOMPARE(results[0].result, int(TelegramResult::ElementFailed));
    QCOMPARE(results[1].result, int(TelegramResult::ElementFailed));
    QCOMPARE(results[2].result, int(TelegramResult::Applied));

    // Only the allowed path exists: 255 levels of "a" ending in 1.
    const Json::Value* node = doc.getJSON();
    for (int i = 1; i < 256; ++i) {
        QCOMPARE(node->size(), Json::ArrayIndex(1));
        node = &(*node)["a"];
    }
    QCOMPARE(*node, Json::Value(1));
}

void TestTelegramApply::paddingLimit()
{
    JSONObject doc(fromText("{}"));
    Json::Value message = fromText(telegram({}, {set("$.L[100000]", "1"), set("$.M[1]", "1"), set("$.L[100001]", "1")}));
    std::vector<TelegramResult> results;
    QVERIFY(doc.applyTelegram(message, doc.getJSON(), &results));
    QCOMPARE(describe(results), QString("2|$.L[100000]|0;2|$.M[1]|3;2|$.L[100001]|3"));
    QCOMPARE(doc.getMember("L").size(), Json::ArrayIndex(100001));
    QVERIFY(!doc.getJSON()->isMember("M"));   // the budget of nulls was spent

    // The budget is per telegram.
    Json::Value next = fromText(telegram({}, {set("$.M[60000]", "1"), set("$.N[60000]", "1")}));
    results.clear();
    QVERIFY(doc.applyTelegram(next, doc.getJSON(), &results));
    QCOMPARE(describe(results), QString("2|$.M[60000]|0;2|$.N[60000]|3"));
    QVERIFY(!doc.getJSON()->isMember("N"));
}

void TestTelegramApply::deeplyNestedValue()
{
    for (int depth : {100000, 500}) {
        JSONObject doc(fromText(R"({"A":1})"));
        Json::Value message;
        Json::Value& element = message["INST"]["SET"]["VAL"][0u];
        element["DEST"]["PATH"] = "$.D";
        Json::Value* node = &element["VAL"];
        for (int i = 0; i < depth; ++i)
            node = &(*node)["a"];
        *node = 1;
        message["INST"]["SET"]["VAL"][1u] = fromText(set("$.E", "2"));

        std::vector<TelegramResult> results;
        QVERIFY(doc.applyTelegram(message, doc.getJSON(), &results));
        dismantle(message);
        if (depth > 1000) {
            QCOMPARE(describe(results), QString("2|$.D|3;2|$.E|0"));
            QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"A":1,"E":2})"));
        } else {
            QCOMPARE(describe(results), QString("2|$.D|0;2|$.E|0"));
            QVERIFY(doc.toString().size() > std::size_t(depth) * 5);
            Json::Value tree = doc.snapshot();
            dismantle(tree);
        }
    }
}

void TestTelegramApply::resultsAreAppended()
{
    JSONObject doc;
    Json::Value message = fromText(telegram({}, {set("$.A", "1")}));
    std::vector<TelegramResult> results(1);
    results[0].path = "earlier";
    QVERIFY(doc.applyTelegram(message, doc.getJSON(), &results));
    QCOMPARE(describe(results), QString("2|earlier|0;2|$.A|0"));

    Json::Value again = fromText(telegram({}, {set("$.B", "1")}));
    QVERIFY(doc.applyTelegram(again, doc.getJSON(), nullptr));
    QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"A":1,"B":1})"));
}

// Callers forward a telegram after applying it: its values must still be there.
void TestTelegramApply::telegramIsLeftAsItWas()
{
    JSONObject doc(fromText(R"({"A":{"x":1},"L":[1,2]})"));
    const Json::Value sent = fromText(telegram({del("$.L[0]")}, {set("$.A", R"({"y":[1,{"z":2}]})"), set("$.B", R"("text")"),
                                                                  set("$.C", "[1,2]")}));
    Json::Value message = sent;
    QVERIFY(doc.applyTelegram(message, doc.getJSON(), nullptr));
    QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"A":{"x":1,"y":[1,{"z":2}]},"B":"text","C":[1,2],"L":[2]})"));
    QCOMPARE(message, sent);
}

// The elements are read while the tree changes; a telegram that is the tree
// itself must not pull them away from under the reader.
void TestTelegramApply::telegramThatIsTheTree()
{
    JSONObject doc(fromText(telegram({}, {set("$.INST", "5"), set("$.B", "1")})));
    std::vector<TelegramResult> results;
    QVERIFY(doc.applyTelegram(*doc.getJSON(), doc.getJSON(), &results));
    QCOMPARE(describe(results), QString("2|$.INST|0;2|$.B|0"));
    QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"B":1,"INST":5})"));
}

// jsoncpp keeps no element for the gaps of an array built in code.
void TestTelegramApply::gapsInAListAreNullElements()
{
    JSONObject doc(fromText("{}"));
    Json::Value message = fromText(telegram({}, {set("$.A", "1")}));
    message["INST"]["SET"]["VAL"][2u] = fromText(set("$.C", "3"));
    std::vector<TelegramResult> results;
    QVERIFY(doc.applyTelegram(message, doc.getJSON(), &results));
    QCOMPARE(describe(results), QString("2|$.A|0;2||3;2|$.C|0"));
    QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"A":1,"C":3})"));
}

namespace {

class RecordingDocument : public JSONObject
{
public:
    void removeIndex(Json::Value& array, int index) override
    {
        removed.push_back(index);
        JSONObject::removeIndex(array, index);
    }
    std::vector<int> removed;
};

} // namespace

void TestTelegramApply::arrayElementsAreRemovedThroughTheDocument()
{
    RecordingDocument doc;
    doc.setJSON(fromText(R"({"L":[1,2,3]})"));
    Json::Value message = fromText(telegram({del("$.L[2]"), del("$.L[0]")}, {}));
    QVERIFY(doc.applyTelegram(message, doc.getJSON(), nullptr));
    QCOMPARE(doc.removed, (std::vector<int>{2, 0}));
    QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"L":[2]})"));
}

void TestTelegramApply::parsePathElement_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("indexed");

    QTest::newRow("name") << "NAME" << true << "NAME" << -1 << false;
    QTest::newRow("index") << "L[12]" << true << "L" << 12 << true;
    QTest::newRow("empty brackets") << "L[]" << true << "L" << -1 << true;
    QTest::newRow("-1") << "L[-1]" << true << "L" << -1 << true;
    QTest::newRow("other negative") << "L[-5]" << true << "L" << -5 << true;
    QTest::newRow("no name") << "[2]" << true << "" << 2 << true;
    QTest::newRow("empty") << "" << true << "" << -1 << false;
    QTest::newRow("blank in the name") << "A B" << true << "A B" << -1 << false;
    QTest::newRow("letter index") << "L[x]" << false << "" << 0 << false;
    QTest::newRow("text behind") << "L[1]x" << false << "" << 0 << false;
    QTest::newRow("nested") << "L[[1]]" << false << "" << 0 << false;
    QTest::newRow("two indices") << "L[1][2]" << false << "" << 0 << false;
    QTest::newRow("unclosed") << "L[1" << false << "" << 0 << false;
    QTest::newRow("closing only") << "L]" << false << "" << 0 << false;
    QTest::newRow("minus alone") << "L[-]" << false << "" << 0 << false;
    QTest::newRow("blank in index") << "L[ 1]" << false << "" << 0 << false;
    QTest::newRow("largest int") << "L[2147483647]" << true << "L" << 2147483647 << true;
    QTest::newRow("beyond int") << "L[2147483648]" << false << "" << 0 << false;
    QTest::newRow("below -int") << "L[-2147483648]" << false << "" << 0 << false;
    QTest::newRow("plus sign") << "L[+1]" << false << "" << 0 << false;
    QTest::newRow("parenthesis") << "A(b)" << false << "" << 0 << false;
    QTest::newRow("question mark") << "A?" << false << "" << 0 << false;
    QTest::newRow("star") << "*" << false << "" << 0 << false;
    QTest::newRow("at") << "@" << false << "" << 0 << false;
}

void TestTelegramApply::parsePathElement()
{
    QFETCH(QString, part);
    QFETCH(bool, valid);

    std::string name = "unset";
    int index = 99;
    bool indexed = false;
    if (!valid) {
        QVERIFY_EXCEPTION_THROWN(JSONObject::parsePathElement(part.toStdString(), name, index, indexed),
                                 std::invalid_argument);
        return;
    }
    JSONObject::parsePathElement(part.toStdString(), name, index, indexed);
    QTEST(QString::fromStdString(name), "name");
    QTEST(index, "index");
    QTEST(indexed, "indexed");
}

void TestTelegramApply::padArray_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty array") << QByteArray("[]") << 3 << QByteArray("[null,null,null]");
    QTest::newRow("shorter array") << QByteArray("[1]") << 2 << QByteArray("[1,null]");
    QTest::newRow("long enough") << QByteArray("[1,2,3]") << 2 << QByteArray("[1,2,3]");
    QTest::newRow("zero") << QByteArray("[]") << 0 << QByteArray("[]");
    QTest::newRow("negative") << QByteArray("[]") << -4 << QByteArray("[]");
    QTest::newRow("object") << QByteArray(R"({"a":1})") << 3 << QByteArray(R"({"a":1})");
    QTest::newRow("null") << QByteArray("null") << 3 << QByteArray("null");
}

void TestTelegramApply::padArray()
{
    QFETCH(QByteArray, value);
    QFETCH(int, count);
    QFETCH(QByteArray, expected);

    Json::Value array = fromText(value);
    JSONObject::padArray(array, count);
    QCOMPARE(array, fromText(expected));
}

QTEST_GUILESS_MAIN(TestTelegramApply)
#include "tst_telegramapply.moc"
