// The JSON document: text cache, parsing and cleaning, member operations,
// array helpers and the virtual dispatch of the forwarding overloads.

#include "JsonTestText.h"
#include "json/JSONObject.h"
#include "json/MasterJSON.h"

#include <QtTest>

#include <functional>
#include <sstream>

using KORVALIS::JSON::JSONObject;
using DocumentOperation = std::function<void(JSONObject&)>;
Q_DECLARE_METATYPE(DocumentOperation)

namespace {

const QByteArray kOldRoot = R"({"old":1})";

} // namespace

class TestJsonObject : public QObject
{
    Q_OBJECT

private slots:
    void toStringIsCachedUntilAChange();
    void everyModifierEmptiesTheCache_data();
    void everyModifierEmptiesTheCache();
    void parse_data();
    void parse();
    void parseStream_data() { parse_data(); }
    void parseStream();
    void parseFailureKeepsTreeAndEmptiesCache();
    void parseKeepsInvalidUtf8Bytes();
    void constructors();
    void setMemberOnNullAndNonObjectRoot();
    void parseMemberStoresOnlyWhatParses();
    void forwardingOverloadsDispatchVirtually();
    void removeIndex_data();
    void removeIndex();
    void isValidIndex_data();
    void isValidIndex();
    void reparse();
    void accessorsLetJsoncppErrorsPass();
    void clearResetsEverything();
    void queryAppendsCopiesAndPaths();
    void failedQueryLeavesValuesUnchanged();
    void queryRefusesToCopyTheTreeOverAndOver();
    void masterJsonStartsWithIdZero();
};

void TestJsonObject::toStringIsCachedUntilAChange()
{
    JSONObject doc;
    QCOMPARE(doc.toString(), std::string("null\n"));

    doc.setMember(Json::Value(5), "a");
    QCOMPARE(doc.toString(), std::string("{\"a\":5}\n"));

    // A change through a handed-out reference leaves the text stale.
    doc.getMember("a") = 6;
    QCOMPARE(doc.toString(), std::string("{\"a\":5}\n"));

    doc.setMember(Json::Value(7), "b");
    QCOMPARE(doc.toString(), std::string("{\"a\":6,\"b\":7}\n"));
}

void TestJsonObject::everyModifierEmptiesTheCache_data()
{
    QTest::addColumn<DocumentOperation>("operation");
    QTest::addColumn<QByteArray>("expected");

    // Each starts from {"a":1} with a cached text and a stale change a = 2.
    QTest::newRow("setJSON") << DocumentOperation([](JSONObject& d) { d.setJSON(fromText(R"({"s":1})")); })
                             << QByteArray(R"({"s":1})");
    QTest::newRow("parse") << DocumentOperation([](JSONObject& d) { std::string t = R"({"p":1})"; d.parse(t); })
                           << QByteArray(R"({"p":1})");
    QTest::newRow("parse failing") << DocumentOperation([](JSONObject& d) { std::string t = "{"; d.parse(t); })
                                   << QByteArray(R"({"a":2})");
    QTest::newRow("parseStream") << DocumentOperation([](JSONObject& d) { std::istringstream in(R"({"q":1})"); d.parseStream(in); })
                                 << QByteArray(R"({"q":1})");
    QTest::newRow("setMember") << DocumentOperation([](JSONObject& d) { d.setMember(Json::Value(3), "b"); })
                               << QByteArray(R"({"a":2,"b":3})");
    QTest::newRow("parseMember") << DocumentOperation([](JSONObject& d) { d.parseMember("[4]", "b"); })
                                 << QByteArray(R"({"a":2,"b":[4]})");
    QTest::newRow("parseMember failing") << DocumentOperation([](JSONObject& d) { d.parseMember("[4", "b"); })
                                         << QByteArray(R"({"a":2})");
    QTest::newRow("removeMember") << DocumentOperation([](JSONObject& d) { d.removeMember("x"); })
                                  << QByteArray(R"({"a":2})");
    QTest::newRow("swapJSON") << DocumentOperation([](JSONObject& d) { Json::Value v(9); d.swapJSON(v); })
                              << QByteArray("9");
    QTest::newRow("applyTelegram") << DocumentOperation([](JSONObject& d) {
        Json::Value t = fromText(R"({"INST":{"SET":{"VAL":[{"DEST":{"PATH":"$.c"},"VAL":5}]}}})");
        d.applyTelegram(t, d.getJSON(), nullptr);
    }) << QByteArray(R"({"a":2,"c":5})");
    QTest::newRow("clear") << DocumentOperation([](JSONObject& d) { d.clear(); }) << QByteArray("null");
}

void TestJsonObject::everyModifierEmptiesTheCache()
{
    QFETCH(DocumentOperation, operation);
    QFETCH(QByteArray, expected);

    JSONObject doc(fromText(R"({"a":1})"));
    QCOMPARE(doc.toString(), std::string("{\"a\":1}\n"));
    doc.getMember("a") = 2;

    operation(doc);
    QCOMPARE(QByteArray::fromStdString(doc.toString()), expected + "\n");
}

void TestJsonObject::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("root");          // compact text; kOldRoot when unchanged
    QTest::addColumn<QByteArray>("cleanedText");   // the caller's text afterwards; empty: not checked

    QTest::newRow("text around the object") << QByteArray(R"(xx{"a":1}yy)") << true
                                            << QByteArray(R"({"a":1})") << QByteArray(R"({"a":1}yy)");
    QTest::newRow("object behind an object is ignored") << QByteArray(R"({"a":1} {"b":2})") << true
                                                        << QByteArray(R"({"a":1})") << QByteArray();
    QTest::newRow("empty") << QByteArray() << false << kOldRoot << QByteArray();
    QTest::newRow("bare array") << QByteArray("[1,2]") << false << kOldRoot << QByteArray();
    QTest::newRow("bare string") << QByteArray(R"("s")") << false << kOldRoot << QByteArray();
    QTest::newRow("block comment inside a string is kept") << QByteArray(R"({"s":"a/*x*/b"})") << true
                                                           << QByteArray(R"({"s":"a/*x*/b"})") << QByteArray(R"({"s":"a/*x*/b"})");
    QTest::newRow("line comment marker inside a string is kept") << QByteArray(R"({"u":"http://x"})") << true
                                                                 << QByteArray(R"({"u":"http://x"})") << QByteArray();
    QTest::newRow("raw tab inside a string is kept") << QByteArray("{\"s\":\"a\tb\"}") << true
                                                     << QByteArray(R"({"s":"a\tb"})") << QByteArray("{\"s\":\"a\tb\"}");
    QTest::newRow("raw line feed inside a string is kept") << QByteArray("{\"s\":\"a\r\nb\"}") << true
                                                           << QByteArray(R"({"s":"a\r\nb"})") << QByteArray();
    QTest::newRow("escaped quote does not end the string") << QByteArray(R"({"s":"q\"/*x*/"})") << true
                                                           << QByteArray(R"({"s":"q\"/*x*/"})") << QByteArray();
    QTest::newRow("escaped backslash ends before the quote") << QByteArray("{\"s\":\"a\\\\\"/*c*/}") << true
                                                             << QByteArray(R"({"s":"a\\"})") << QByteArray("{\"s\":\"a\\\\\"}");
    QTest::newRow("comments and whitespace outside strings") << QByteArray("/* {head} */\r\n// {line}\n{\t\"a\" : 1, /* c */\"b\":[1,\r\n2] // tail\n}")
                                                             << true << QByteArray(R"({"a":1,"b":[1,2]})")
                                                             << QByteArray(R"({"a" : 1, "b":[1,2] })");
    QTest::newRow("quote before the object opens no string") << QByteArray(R"(say "hi {"a":1})") << true
                                                             << QByteArray(R"({"a":1})") << QByteArray();
    QTest::newRow("truncated") << QByteArray(R"({"a":{"b":1})") << false << kOldRoot << QByteArray();
    QTest::newRow("unbalanced brackets") << QByteArray(R"({"a":[1,2}})") << false << kOldRoot << QByteArray();
    QTest::newRow("unterminated string") << QByteArray(R"({"a":"abc)") << false << kOldRoot << QByteArray();
    QTest::newRow("unterminated comment") << QByteArray(R"({"a":1 /* open)") << false << kOldRoot << QByteArray();
    QTest::newRow("number too large for a double") << QByteArray(R"({"n":1e400})") << false << kOldRoot << QByteArray();
    QTest::newRow("integer too large for 64 bits") << QByteArray(R"({"n":99999999999999999999999})") << true
                                                   << QByteArray(R"({"n":9.9999999999999992e+22})") << QByteArray();
    QTest::newRow("nested 100000 levels, open") << QByteArray(R"({"a":)") + QByteArray(100000, '[')
                                               << false << kOldRoot << QByteArray();
    QTest::newRow("nested 100000 levels, closed") << QByteArray("{\"a\":") + QByteArray(100000, '[') + QByteArray(100000, ']') + "}"
                                                 << false << kOldRoot << QByteArray();
}

void TestJsonObject::parse()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, root);
    QFETCH(QByteArray, cleanedText);

    JSONObject doc(fromText(kOldRoot));
    std::string input = text.toStdString();
    QCOMPARE(doc.parse(input), ok);
    QCOMPARE(compact(*doc.getJSON()), root);
    if (!cleanedText.isEmpty())
        QCOMPARE(QByteArray::fromStdString(input), cleanedText);
}

void TestJsonObject::parseStream()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, root);

    JSONObject doc(fromText(kOldRoot));
    std::istringstream in(text.toStdString());
    QCOMPARE(doc.parseStream(in), ok);
    QCOMPARE(compact(*doc.getJSON()), root);
}

void TestJsonObject::parseFailureKeepsTreeAndEmptiesCache()
{
    JSONObject doc;
    std::string good = R"({"a":{"b":1,"c":[1,2]}})";
    QVERIFY(doc.parse(good));
    const std::string before = doc.toString();

    // A half-read object must not replace the tree.
    std::string truncated = R"({"a":{"b":2,"c":[3)";
    QVERIFY(!doc.parse(truncated));
    QCOMPARE(doc.toString(), before);

    doc.getMember("x") = 5;   // stale cache ...
    std::string none = "no object";
    QVERIFY(!doc.parse(none));
    QCOMPARE(doc.toString(), std::string(R"({"a":{"b":1,"c":[1,2]},"x":5})") + "\n");   // ... emptied by the failed parse
}

void TestJsonObject::parseKeepsInvalidUtf8Bytes()
{
    JSONObject doc;
    std::string text = "{\"s\":\"\xff\xfe\xc3\"}";
    QVERIFY(doc.parse(text));
    QCOMPARE(doc.getMember("s").asString(), std::string("\xff\xfe\xc3"));
    QVERIFY(!doc.toString().empty());
}

void TestJsonObject::constructors()
{
    JSONObject fromTextDoc(std::string("// header\n{\"a\":[1,2]}"));
    QCOMPARE(compact(*fromTextDoc.getJSON()), QByteArray(R"({"a":[1,2]})"));
    QCOMPARE(fromTextDoc.getId(), -1);

    JSONObject badText(std::string("{\"a\":"));
    QVERIFY(badText.getJSON()->isNull());

    const Json::Value value = fromText(R"({"v":true})");
    JSONObject fromValue(value);
    QCOMPARE(*fromValue.getJSON(), value);
    QVERIFY(fromValue.getJSON() != &value);
}

void TestJsonObject::setMemberOnNullAndNonObjectRoot()
{
    JSONObject doc;
    doc.setMember(Json::Value("x"), std::string("k"));
    QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"k":"x"})"));

    // jsoncpp refuses a member on an array; the document swallows it.
    JSONObject array(fromText("[1]"));
    array.setMember(Json::Value(2), "k");
    QCOMPARE(compact(*array.getJSON()), QByteArray("[1]"));
}

void TestJsonObject::parseMemberStoresOnlyWhatParses()
{
    JSONObject doc;
    doc.parseMember(std::string(R"({"n":1})"), std::string("a"));
    doc.parseMember(R"([1,)", "b");
    doc.parseMember(std::string("  7  "), "c");
    doc.parseMember(static_cast<const char*>(nullptr), "d");
    doc.parseMember(std::string(100000, '['), "e");   // beyond the reader's nesting limit
    QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"a":{"n":1},"c":7})"));
}

namespace {

// Counts calls of the overloads the forwarding overloads must reach.
class CountingDocument : public JSONObject
{
public:
    void setMember(const Json::Value& value, const std::string& key) override
    {
        ++setCalls;
        JSONObject::setMember(value, key);
    }
    void parseMember(const std::string& text, const std::string& key) override
    {
        ++parseCalls;
        JSONObject::parseMember(text, key);
    }
    void removeMember(const std::string& key) override
    {
        ++removeCalls;
        JSONObject::removeMember(key);
    }
    using JSONObject::parseMember;
    using JSONObject::removeMember;
    using JSONObject::setMember;

    int setCalls = 0;
    int parseCalls = 0;
    int removeCalls = 0;
};

} // namespace

void TestJsonObject::forwardingOverloadsDispatchVirtually()
{
    CountingDocument doc;
    JSONObject& base = doc;
    base.setMember(Json::Value(1), "a");
    base.parseMember("2", std::string("b"));
    base.parseMember(std::string("3"), "c");
    base.parseMember("4", "d");
    base.removeMember("a");

    QCOMPARE(doc.setCalls, 1);
    QCOMPARE(doc.parseCalls, 3);
    QCOMPARE(doc.removeCalls, 1);
    QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"b":2,"c":3,"d":4})"));
}

void TestJsonObject::removeIndex_data()
{
    QTest::addColumn<QByteArray>("array");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("middle") << QByteArray("[10,20,30]") << 1 << QByteArray("[10,30]");
    QTest::newRow("first") << QByteArray("[10,20,30]") << 0 << QByteArray("[20,30]");
    QTest::newRow("last") << QByteArray("[10,20,30]") << 2 << QByteArray("[10,20]");
    QTest::newRow("beyond the end") << QByteArray("[10,20,30]") << 5 << QByteArray("[10,20,30]");
    QTest::newRow("negative") << QByteArray("[10,20,30]") << -1 << QByteArray("[10,20,30]");
    QTest::newRow("nested elements move") << QByteArray(R"([{"a":[1]},{"b":2}])") << 0 << QByteArray(R"([{"b":2}])");
    QTest::newRow("object") << QByteArray(R"({"0":1})") << 0 << QByteArray(R"({"0":1})");
    QTest::newRow("only element") << QByteArray("[5]") << 0 << QByteArray("[]");
    QTest::newRow("scalar") << QByteArray("5") << 0 << QByteArray("5");
}

void TestJsonObject::removeIndex()
{
    QFETCH(QByteArray, array);
    QFETCH(int, index);
    QFETCH(QByteArray, expected);

    JSONObject doc;
    Json::Value value = fromText(array);
    doc.removeIndex(value, index);
    QCOMPARE(compact(value), expected);
    QCOMPARE(value, fromText(expected));   // dense array, equal to a parsed one
}

void TestJsonObject::isValidIndex_data()
{
    QTest::addColumn<QByteArray>("array");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("append");
    QTest::addColumn<bool>("expected");

    QTest::newRow("0 on one null") << QByteArray("[null]") << 0 << false << true;
    QTest::newRow("after a null") << QByteArray("[1,null,3]") << 2 << false << false;
    QTest::newRow("after a value") << QByteArray("[1,null,3]") << 1 << false << true;
    QTest::newRow("append, last index") << QByteArray("[1,2,3]") << 2 << true << true;
    QTest::newRow("append, not last") << QByteArray("[1,2,3]") << 1 << true << false;
    QTest::newRow("far beyond the end") << QByteArray("[1]") << 50 << false << false;
    QTest::newRow("negative") << QByteArray("[1]") << -1 << false << false;
    QTest::newRow("object") << QByteArray(R"({"a":1})") << 0 << false << false;
    QTest::newRow("scalar") << QByteArray("5") << 0 << true << false;
}

void TestJsonObject::isValidIndex()
{
    QFETCH(QByteArray, array);
    QFETCH(int, index);
    QFETCH(bool, append);
    QFETCH(bool, expected);

    JSONObject doc;
    Json::Value value = fromText(array);
    QCOMPARE(doc.isValidIndex(index, value, append), expected);
    QCOMPARE(compact(value), compact(fromText(array)));   // never grows the array
}

void TestJsonObject::reparse()
{
    JSONObject doc(fromText(R"({"a":[1,{"b":"x"}],"c":null})"));
    const Json::Value original = *doc.getJSON();

    doc.reparse();   // nothing cached yet
    QCOMPARE(*doc.getJSON(), original);

    doc.toString();
    doc.getMember("c") = 5;   // not in the cached text
    doc.reparse();
    QCOMPARE(*doc.getJSON(), original);
}

void TestJsonObject::accessorsLetJsoncppErrorsPass()
{
    JSONObject doc(fromText("[1,2]"));
    QVERIFY_EXCEPTION_THROWN(doc.getMember("a"), std::exception);
    QVERIFY_EXCEPTION_THROWN(doc.getMember(std::string("a")), std::exception);
    QVERIFY_EXCEPTION_THROWN(doc.removeMember("a"), std::exception);
    QCOMPARE(compact(*doc.getJSON()), QByteArray("[1,2]"));

    // The lock is released on the way out.
    doc.setMember(Json::Value(1), "x");
    QCOMPARE(doc.toString(), std::string("[1,2]\n"));
}

void TestJsonObject::clearResetsEverything()
{
    JSONObject doc(fromText(R"({"a":1})"));
    doc.setId(4);
    doc.setName("doc");
    doc.toString();
    doc.clear();
    QCOMPARE(doc.getId(), -1);
    QCOMPARE(doc.getName(), std::string());
    QCOMPARE(doc.getType(), Json::nullValue);
    QCOMPARE(doc.toString(), std::string("null\n"));
}

void TestJsonObject::queryAppendsCopiesAndPaths()
{
    JSONObject doc(fromText(R"({"A":[{"ID":5},{"ID":7},{"ID":5}]})"));
    std::vector<Json::Value> values{Json::Value("kept")};
    std::vector<std::string> paths{"kept"};

    QVERIFY(doc.query("$.A[?(@.ID==5)]", values, &paths));
    QVERIFY(doc.query("$.A[1].ID", values, &paths));
    QCOMPARE(values.size(), std::size_t(4));
    QCOMPARE(values[0], Json::Value("kept"));
    QCOMPARE(values[1], fromText(R"({"ID":5})"));
    QCOMPARE(values[3], Json::Value(7));
    QCOMPARE(paths, (std::vector<std::string>{"kept", "$.A[0]", "$.A[2]", "$.A[1].ID"}));

    // Hits are copies: changing the document later leaves them alone.
    doc.setMember(Json::Value(0), "A");
    QCOMPARE(values[3], Json::Value(7));
}

void TestJsonObject::failedQueryLeavesValuesUnchanged()
{
    JSONObject doc(fromText(R"({"B":{"x":1}})"));
    std::vector<Json::Value> values{Json::Value(1)};
    QVERIFY(!doc.query("$.B[0]", values, nullptr));   // an index step on an object
    QCOMPARE(values.size(), std::size_t(1));

    // The shared lock is released after a failure.
    doc.setMember(Json::Value(2), "C");
    QVERIFY(doc.query("$.C", values, nullptr));
    QCOMPARE(values.back(), Json::Value(2));
}

void TestJsonObject::queryRefusesToCopyTheTreeOverAndOver()
{
    Json::Value big(Json::arrayValue);
    for (int i = 0; i < 200000; ++i)
        big.append(i);
    Json::Value tree(Json::objectValue);
    tree["A"] = big;
    JSONObject doc(tree);

    std::vector<Json::Value> values;
    QVERIFY(doc.query("$[A,A,A]", values, nullptr));
    QCOMPARE(values.size(), std::size_t(3));

    // 30 copies of 200,001 nodes each is more than one query may copy.
    std::string union30 = "$[A";
    for (int i = 1; i < 30; ++i)
        union30 += ",A";
    union30 += "]";
    values.clear();
    QVERIFY(!doc.query(union30, values, nullptr));
    QVERIFY(values.empty());
}

void TestJsonObject::masterJsonStartsWithIdZero()
{
    KORVALIS::HighLevelCommunication::MasterJSON master;
    JSONObject& document = master;
    QCOMPARE(document.getId(), 0);
    document.clear();   // clear() is the document's and resets to unset
    QCOMPARE(document.getId(), -1);
}

QTEST_GUILESS_MAIN(TestJsonObject)
#include "tst_jsonobject.moc"
