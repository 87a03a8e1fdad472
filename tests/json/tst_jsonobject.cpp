// The JSON document: text cache, parsing and cleaning, the
// pass-through accessors and query sinks.

#include "JsonTestText.h"
#include "json/JSONObject.h"

#include <QtTest>

#include <functional>
#include <sstream>

using KORVALIS::JSON::JSONObject;
using DocumentOperation = std::function<void(JSONObject&)>;
Q_DECLARE_METATYPE(DocumentOperation)

class TestJsonObject : public QObject
{
    Q_OBJECT

private slots:
    void everyModifierEmptiesTheCache_data()
    {
        QTest::addColumn<DocumentOperation>("operation");
        QTest::addColumn<QByteArray>("expected");
        // Each starts from {"a":1} with a cached text and a stale change a = 2.
        QTest::newRow("parse failing") << DocumentOperation([](JSONObject& d) { std::string t = "{"; d.parse(t); })
                                       << QByteArray(R"({"a":2})");
        QTest::newRow("parseMember") << DocumentOperation([](JSONObject& d) { d.parseMember("[4]", "b"); })
                                     << QByteArray(R"({"a":2,"b":[4]})");
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

    void everyModifierEmptiesTheCache()
    {
        QFETCH(DocumentOperation, operation);
        QFETCH(QByteArray, expected);
        JSONObject doc(fromText(R"({"a":1})"));
        QCOMPARE(doc.toString(), std::string("{\"a\":1}\n"));
        doc.getMember("a") = 2;
        operation(doc);
        QCOMPARE(QByteArray::fromStdString(doc.toString()), expected + "\n");
    }

    // Parsed from a text and from a stream alike; a failure keeps the old root.
    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("root");          // compact text; empty: the old root kept
        QTest::addColumn<QByteArray>("cleanedText");   // the caller's text afterwards; empty: not checked
        QTest::newRow("text around the object") << QByteArray(R"(xx{"a":1}yy)") << QByteArray(R"({"a":1})")
                                                << QByteArray(R"({"a":1}yy)");
        QTest::newRow("bare array") << QByteArray("[1,2]") << QByteArray() << QByteArray();
        QTest::newRow("raw tab and comment inside a string are kept")
            << QByteArray("{\"s\":\"a\t/*x*/b\"}") << QByteArray(R"({"s":"a\t/*x*/b"})") << QByteArray("{\"s\":\"a\t/*x*/b\"}");
        QTest::newRow("escaped backslash ends before the quote")
            << QByteArray("{\"s\":\"a\\\\\"/*c*/}") << QByteArray(R"({"s":"a\\"})") << QByteArray("{\"s\":\"a\\\\\"}");
        QTest::newRow("comments and whitespace outside strings")
            << QByteArray("/* {head} */\r\n// {line}\n{\t\"a\" : 1, /* c */\"b\":[1,\r\n2] // tail\n}")
            << QByteArray(R"({"a":1,"b":[1,2]})") << QByteArray(R"({"a" : 1, "b":[1,2] })");
        QTest::newRow("truncated") << QByteArray(R"({"a":{"b":1})") << QByteArray() << QByteArray();
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
        JSONObject streamed(fromText(oldRoot));
        std::istringstream in(text.toStdString());
        QCOMPARE(streamed.parseStream(in), !root.isEmpty());
        QCOMPARE(compact(*streamed.getJSON()), root.isEmpty() ? oldRoot : root);
    }

    void parseMemberStoresOnlyWhatParses()
    {
        JSONObject doc;
        doc.parseMember(std::string(R"({"n":1})"), std::string("a"));
        doc.parseMember(R"([1,)", "b");
        doc.parseMember(std::string("  7  "), "c");
        doc.parseMember(static_cast<const char*>(nullptr), "d");
        doc.parseMember(std::string(100000, '['), "e");   // beyond the reader's nesting limit
        doc.setMember(Json::Value(8), "f");
        doc.removeMember("f");
        QCOMPARE(compact(*doc.getJSON()), QByteArray(R"({"a":{"n":1},"c":7})"));
    }

    void accessorsLetJsoncppErrorsPass()
    {
        JSONObject doc(fromText("[1,2]"));
        QVERIFY_EXCEPTION_THROWN(doc.getMember("a"), std::exception);
        QVERIFY_EXCEPTION_THROWN(doc.removeMember("a"), std::exception);
        QCOMPARE(compact(*doc.getJSON()), QByteArray("[1,2]"));
        doc.setMember(Json::Value(1), "x");   // the lock is released on the way out
        QCOMPARE(doc.toString(), std::string("[1,2]\n"));
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
        QVERIFY(big.query("$[A,A,A]", values, nullptr));
        QCOMPARE(values.size(), std::size_t(3));
        values.clear();
        QVERIFY(!big.query("$[A" + QByteArray(",A").repeated(29).toStdString() + "]", values, nullptr));
        QVERIFY(values.empty());
    }
};

QTEST_GUILESS_MAIN(TestJsonObject)
#include "tst_jsonobject.moc"
