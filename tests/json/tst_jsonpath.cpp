// JSONPath evaluator: hits, hit order, hit paths and failures.

#include "json/JsonPath.h"

#include <QtTest>

#include <boost/lexical_cast.hpp>

#include <json/json.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using KORVALIS::JSON::JsonPath;

namespace {

Json::Value parseJson(const std::string& text)
{
    Json::Value value;
    Json::Reader reader;
    if (!reader.parse(text, value))
        qFatal("bad test JSON: %s", text.c_str());
    return value;
}

// The test document: plain members, an array of users, members whose names
// look like path syntax, and names and values that are not valid UTF-8.
const Json::Value& document()
{
    static const Json::Value doc = [] {
        Json::Value d = parseJson(R"json({
            "A": [{"ID": 5, "NAME": "Abc"}, {"ID": 7, "NAME": "x y"}, {"ID": 5}],
            "B": {"b": 1, "a": 2},
            "C": {"B": 3, "D": {"B": 4}},
            "Y": {"Z": "B"},
            "L": [0, 1, 2, 3, 4],
            "E": [],
            "F": [{"FLAG": true}, {"FLAG": false}, {}],
            "U": [{"NAME": "doe", "ID": 1}, {"NAME": "j.doe", "ID": -1},
                  {"NAME": "x y", "ID": 2}, {"NAME": "J.Doe2", "ID": 3.5}],
            "T": [{"ID": 3, "FACT": 1.5}, {"ID": 4, "FACT": 2}],
            "S": {"*": {"*": 1}, "..": {"x": 2}, "a,b": {"v": 3}, "1:2": {"v": 4}},
            "K": "($.K)",
            "R": {"x": {"y": 9}},
            "RK": "x;y",
            "N": 7,
            "Z": null
        })json");
        Json::Value odd(Json::objectValue);
        odd["N"] = std::string("\xff\xfe");
        d["W"][std::string("\xff\xfe")] = odd;
        return d;
    }();
    return doc;
}

// Runs one query; returns "" on success or the kind of the failure.
QString runQuery(const Json::Value& tree, const std::string& expression,
                 std::vector<const Json::Value*>* hits, std::vector<std::string>* paths,
                 std::string* message = nullptr)
{
    JsonPath path;
    try {
        if (!path.query(tree, expression, hits, paths))
            return "false";
        return QString();
    } catch (const boost::bad_lexical_cast&) {
        return "bad_lexical_cast";
    } catch (const std::invalid_argument& e) {
        if (message)
            *message = e.what();
        return "invalid_argument";
    } catch (const std::out_of_range&) {
        return "out_of_range";
    } catch (const std::length_error&) {
        return "length_error";
    } catch (const Json::Exception&) {
        return "json";
    } catch (const std::runtime_error&) {
        return "runtime_error";
    } catch (const std::exception& e) {
        return QString("exception: ") + e.what();
    }
}

Json::Value hitArray(const std::vector<const Json::Value*>& hits)
{
    Json::Value array(Json::arrayValue);
    for (const Json::Value* hit : hits)
        array.append(*hit);
    return array;
}

QString text(const Json::Value& value)
{
    return QString::fromStdString(Json::FastWriter().write(value)).trimmed();
}

QStringList latin1(const std::vector<std::string>& texts)
{
    QStringList list;
    for (const std::string& t : texts)
        list << QString::fromLatin1(t.data(), static_cast<int>(t.size()));
    return list;
}

// Nested objects {"a":{"a":...}} depth levels deep.
Json::Value deepTree(int depth)
{
    Json::Value root(Json::objectValue);
    Json::Value* node = &root;
    for (int i = 0; i < depth; ++i)
        node = &(*node)["a"];
    (*node)["x"] = 1;
    return root;
}

} // namespace

class TestJsonPath : public QObject
{
    Q_OBJECT

private slots:
    void query_data();
    void query();
    void hitsPointIntoTheTree();
    void appendsToTheSinks();
    void unsupportedScriptMessage();
    void invalidUtf8();
    void boundedWork_data();
    void boundedWork();
    void workBudget_data();
    void workBudget();
    void hitLimit();
    void deepTrees();
    void hostileExpressions();
};

void TestJsonPath::query_data()
{
    QTest::addColumn<QByteArray>("expression");
    QTest::addColumn<QString>("failure");   // "" when the query succeeds
    QTest::addColumn<QString>("hits");      // the hit values as one JSON array
    QTest::addColumn<QStringList>("paths");

    const QString none;
    auto row = [&](const char* name, const QByteArray& expr, const QString& hits, const QStringList& paths) {
        QTest::newRow(name) << expr << none << hits << paths;
    };
    auto fails = [&](const char* name, const QByteArray& expr, const QString& failure) {
        QTest::newRow(name) << expr << failure << QString("[]") << QStringList();
    };

    // Names, indices and the path text.
    row("root alone", "$", "[]", {});
    row("member chain", "$.A[0].NAME", R"(["Abc"])", {"$.A[0].NAME"});
    row("bracket names", "$['B']['a']", "[2]", {"$.B.a"});
    row("beyond the end is a null hit", "$.A[5]", "[null]", {"$.A[5]"});
    row("index fits jsoncpp's range", "$.L[4294967295]", "[null]", {"$.L[4294967295]"});
    row("missing member", "$.X.Y", "[]", {});
    row("member of a number", "$.N.X", "[]", {});
    fails("index on an object", "$.B[0]", "json");
    fails("index on a number", "$.N[0]", "json");
    fails("absurd index", "$.L[99999999999]", "out_of_range");

    // Wildcards and recursive descent.
    row("star on object in byte order", "$.B.*", "[2,1]", {"$.B.a", "$.B.b"});
    row("star on array", "$.L[*]", "[0,1,2,3,4]", {"$.L[0]", "$.L[1]", "$.L[2]", "$.L[3]", "$.L[4]"});
    row("star on a number", "$.N.*", "[]", {});
    row("bracket star on a number", "$.N[*]", "[]", {});
    row("descent pre-order", "$..B", R"([{"a":2,"b":1},3,4])", {"$.B", "$.C.B", "$.C.D.B"});
    row("descent then index", "$.C..B", "[3,4]", {"$.C.B", "$.C.D.B"});

    // Unions and slices.
    row("union in order", "$.L[3,1]", "[3,1]", {"$.L[3]", "$.L[1]"});
    row("union of elements", "$.A[0,2]", R"([{"ID":5,"NAME":"Abc"},{"ID":5}])", {"$.A[0]", "$.A[2]"});
    row("union names keep quotes", "$.B['a','b']", "[]", {});
    row("slice", "$.L[1:3]", "[1,2]", {"$.L[1]", "$.L[2]"});
    row("slice from the end", "$.L[-2:]", "[3,4]", {"$.L[3]", "$.L[4]"});
    row("slice every second", "$.L[::2]", "[0,2,4]", {"$.L[0]", "$.L[2]", "$.L[4]"});
    row("slice without the last", "$.L[:-1]", "[0,1,2,3]", {"$.L[0]", "$.L[1]", "$.L[2]", "$.L[3]"});
    row("slice past the end", "$.L[7:9]", "[]", {});
    row("slice step 0", "$.L[::0]", "[]", {});
    row("slice with huge step", "$.L[0:10:9223372036854775807]", "[0]", {"$.L[0]"});
    row("slice with huge negative start", "$.L[-99999999999:2]", "[0,1]", {"$.L[0]", "$.L[1]"});
    row("slice on an object", "$.B[0:1]", "[]", {});
    fails("slice bound beyond 64 bits", "$.L[99999999999999999999:]", "bad_lexical_cast");
    fails("slice bound only a sign", "$.L[-:2]", "bad_lexical_cast");

    // Scripts.
    row("length script", "$.A[(@.length-1)]", R"([{"ID":5}])", {"$.A[2]"});
    row("length script on empty array", "$.E[(@.length-1)]", "[]", {});
    row("nested path script", "$.C[($.Y.Z)]", "[3]", {"$.C.B"});
    row("nested path without hit", "$.C[($.Y.Q)]", "[]", {});
    row("script text with separators", "$.R[($.RK)]", "[9]", {"$.R.x.y"});
    fails("unsupported script", "$.A[(@.size)]", "invalid_argument");
    fails("arithmetic script", "$.A[(1+2)]", "invalid_argument");
    fails("nested path on an object", "$.C[($.Y)]", "json");

    // Filters as the system uses them.
    row("filter on number", "$.A[?(@.ID==5)]", R"([{"ID":5,"NAME":"Abc"},{"ID":5}])", {"$.A[0]", "$.A[2]"});
    row("filter text ignores case", "$.A[?(@.NAME==abc)]", R"([{"ID":5,"NAME":"Abc"}])", {"$.A[0]"});
    row("filter has member", "$.A[?(@.NAME)]", R"([{"ID":5,"NAME":"Abc"},{"ID":7,"NAME":"x y"}])",
        {"$.A[0]", "$.A[1]"});
    row("filter missing member is empty text", "$.A[?(@.NAME<>abc)]", R"([{"ID":7,"NAME":"x y"},{"ID":5}])",
        {"$.A[1]", "$.A[2]"});
    row("filter on boolean", "$.F[?(@.FLAG==true)]", R"([{"FLAG":true}])", {"$.F[0]"});
    fails("filter number against text", "$.A[?(@.ID==abc)]", "bad_lexical_cast");
    fails("filter on scalar elements", "$.L[?(@.ID==1)]", "json");

    // Filter operands are taken whole.
    row("dotted operand selects only its user", "$.U[?(@.NAME==j.doe)]", R"([{"ID":-1,"NAME":"j.doe"}])",
        {"$.U[1]"});
    row("single-quoted operand", "$.U[?(@.NAME=='j.doe')]", R"([{"ID":-1,"NAME":"j.doe"}])", {"$.U[1]"});
    row("double-quoted operand", "$.U[?(@.NAME==\"J.DOE\")]", R"([{"ID":-1,"NAME":"j.doe"}])", {"$.U[1]"});
    row("operand with blank", "$.U[?(@.NAME==x y)]", R"([{"ID":2,"NAME":"x y"}])", {"$.U[2]"});
    row("blanks around operator", "$.U[?(@.NAME  ==  'x y' )]", R"([{"ID":2,"NAME":"x y"}])", {"$.U[2]"});
    row("template filter", "$.T[?(@.ID ==3)].FACT", "[1.5]", {"$.T[0].FACT"});
    row("negative operand", "$.U[?(@.ID==-1)]", R"([{"ID":-1,"NAME":"j.doe"}])", {"$.U[1]"});
    row("less than negative", "$.U[?(@.ID<-0.5)]", R"([{"ID":-1,"NAME":"j.doe"}])", {"$.U[1]"});
    row("greater or equal", "$.U[?(@.ID>=2)]", R"([{"ID":2,"NAME":"x y"},{"ID":3.5,"NAME":"J.Doe2"}])",
        {"$.U[2]", "$.U[3]"});
    row("less or equal on text", "$.U[?(@.NAME<=J.DOE)]", R"([{"ID":1,"NAME":"doe"},{"ID":-1,"NAME":"j.doe"}])",
        {"$.U[0]", "$.U[1]"});
    row("text greater", "$.U[?(@.NAME>x)]", R"([{"ID":2,"NAME":"x y"}])", {"$.U[2]"});
    row("one-letter member", "$.S[?(@.x==2)]", R"([{"x":2}])", {"$.S..."});
    row("unknown operator selects nothing", "$.U[?(@.ID!=1)]", "[]", {});
    row("single equals selects nothing", "$.U[?(@.NAME=doe)]", "[]", {});
    row("filter without @. selects nothing", "$.U[?(NAME==doe)]", "[]", {});

    // Member names that look like syntax are plain names.
    row("star over syntax names", "$.S.*", R"([{"*":1},{"x":2},{"v":4},{"v":3}])",
        {"$.S.*", "$.S...", "$.S.1:2", "$.S.a,b"});
    row("star twice", "$.S.*.*", "[1,2,4,3]", {"$.S.*.*", "$.S....x", "$.S.1:2.v", "$.S.a,b.v"});
    row("filter on member named star", "$.S[?(@.*)]", R"([{"*":1}])", {"$.S.*"});
    row("descent through syntax names", "$.S..x", "[2]", {"$.S....x"});

    // Sub-expression markers.
    fails("marker without sub-expression", "$.A[#99]", "out_of_range");
    fails("marker in a nested path", "$[($[(#0)])]", "out_of_range");
}

void TestJsonPath::query()
{
    QFETCH(QByteArray, expression);
    QFETCH(QString, failure);
    QFETCH(QString, hits);
    QFETCH(QStringList, paths);

    std::vector<const Json::Value*> hitList;
    std::vector<std::string> pathList;
    const std::string expr = expression.toStdString();
    QCOMPARE(runQuery(document(), expr, &hitList, &pathList), failure);
    if (!failure.isEmpty())
        return;

    QCOMPARE(text(hitArray(hitList)), text(parseJson(hits.toStdString())));
    QCOMPARE(latin1(pathList), paths);
    for (const std::string& p : pathList)
        QVERIFY(p.find(';') == std::string::npos);

    // Without a path list the hits are the same.
    std::vector<const Json::Value*> plainHits;
    QCOMPARE(runQuery(document(), expr, &plainHits, nullptr), QString());
    QCOMPARE(plainHits, hitList);
}

void TestJsonPath::hitsPointIntoTheTree()
{
    const Json::Value& doc = document();
    std::vector<const Json::Value*> hits;
    QCOMPARE(runQuery(doc, "$.A[1].NAME", &hits, nullptr), QString());
    QCOMPARE(runQuery(doc, "$.C[($.Y.Z)]", &hits, nullptr), QString());
    QCOMPARE(runQuery(doc, "$.U[?(@.NAME==doe)]", &hits, nullptr), QString());
    QCOMPARE(hits.size(), std::size_t(3));
    QCOMPARE(hits[0], &doc["A"][1]["NAME"]);
    QCOMPARE(hits[1], &doc["C"]["B"]);
    QCOMPARE(hits[2], &doc["U"][0]);
}

void TestJsonPath::appendsToTheSinks()
{
    std::vector<const Json::Value*> hits;
    std::vector<std::string> paths;
    QCOMPARE(runQuery(document(), "$.B.*", &hits, &paths), QString());
    QCOMPARE(runQuery(document(), "$.L[0]", &hits, &paths), QString());
    QCOMPARE(text(hitArray(hits)), QString("[2,1,0]"));
    QCOMPARE(latin1(paths), QStringList({"$.B.a", "$.B.b", "$.L[0]"}));
}

void TestJsonPath::unsupportedScriptMessage()
{
    std::vector<const Json::Value*> hits;
    std::string message;
    QCOMPARE(runQuery(document(), "$.A[(@.size)]", &hits, nullptr, &message), QString("invalid_argument"));
    QCOMPARE(QString::fromStdString(message), QString("Invalid Argument/Not Supported: @.size"));
    QVERIFY(hits.empty());
}

void TestJsonPath::invalidUtf8()
{
    const Json::Value& doc = document();
    const std::string odd("\xff\xfe");
    std::vector<const Json::Value*> hits;
    std::vector<std::string> paths;
    QCOMPARE(runQuery(doc, "$.W." + odd + ".N", &hits, &paths), QString());
    QCOMPARE(runQuery(doc, "$.W[?(@.N==" + odd + ")]", &hits, &paths), QString());
    QCOMPARE(runQuery(doc, "$.W[?(@.N==\xff)]", &hits, &paths), QString());
    QCOMPARE(runQuery(doc, "$.W.\xc3\x28", &hits, &paths), QString());
    QCOMPARE(hits.size(), std::size_t(2));
    QCOMPARE(hits[0], &doc["W"][odd]["N"]);
    QCOMPARE(hits[1], &doc["W"][odd]);
    QCOMPARE(paths, std::vector<std::string>({"$.W." + odd + ".N", "$.W." + odd}));
}

void TestJsonPath::boundedWork_data()
{
    QTest::addColumn<QByteArray>("expression");
    QTest::addColumn<QString>("failure");

    QByteArray longest("$.");
    longest.append(QByteArray(4094, 'A'));
    QTest::newRow("4096 characters") << longest << QString();
    QTest::newRow("4097 characters") << QByteArray(longest + "A") << QString("length_error");
    QTest::newRow("100000 brackets") << QByteArray("$" + QByteArray(100000, '[')) << QString("length_error");

    QByteArray steps("$");
    for (int i = 0; i < 256; ++i)
        steps.append(".A");
    QTest::newRow("256 steps") << steps << QString();
    QTest::newRow("257 steps") << QByteArray(steps + ".A") << QString("length_error");

    // Every union part of an index on null is a null hit: 8^n hits.
    QByteArray unionHits("$.Z");
    QByteArray unionWork("$.Z");
    for (int i = 0; i < 40; ++i) {
        unionHits.append("[0,0,0,0,0,0,0,0]");
        unionWork.append("[0,0,0,0,0,0,0,0]");
    }
    unionWork.append(".Q");   // the same work, no hit at the end
    QTest::newRow("exploding union hits") << unionHits << QString("runtime_error");
    QTest::newRow("exploding union work") << unionWork << QString("runtime_error");

    // A member whose text is the script that names it.
    QTest::newRow("self-referring script") << QByteArray("$[($.K)]") << QString("runtime_error");
}

void TestJsonPath::boundedWork()
{
    QFETCH(QByteArray, expression);
    QFETCH(QString, failure);
    std::vector<const Json::Value*> hits;
    std::vector<std::string> paths;
    QCOMPARE(runQuery(document(), expression.toStdString(), &hits, &paths), failure);
    hits.clear();
    QCOMPARE(runQuery(document(), expression.toStdString(), &hits, nullptr), failure);
}

// "$[A,A,...][*].Q" over an array A of 10,000 nulls: each copy of A costs
// about 20,000 units of work (a visit and a name step per element) and
// yields no hit. The budget of 3,000,000 units lies between the rows.
void TestJsonPath::workBudget_data()
{
    QTest::addColumn<int>("copies");
    QTest::addColumn<QString>("failure");

    QTest::newRow("2.7 million units") << 135 << QString();
    QTest::newRow("3.3 million units") << 165 << QString("runtime_error");
}

void TestJsonPath::workBudget()
{
    QFETCH(int, copies);
    QFETCH(QString, failure);

    Json::Value tree(Json::objectValue);
    Json::Value& nulls = tree["A"];
    nulls.resize(10000);
    QByteArray expression("$[A");
    for (int i = 1; i < copies; ++i)
        expression.append(",A");
    expression.append("][*].Q");

    std::vector<const Json::Value*> hits;
    std::vector<std::string> paths;
    QCOMPARE(runQuery(tree, expression.toStdString(), &hits, &paths), failure);
    QCOMPARE(runQuery(tree, expression.toStdString(), &hits, nullptr), failure);
    QVERIFY(hits.empty());
}

// At most 50,000 hits per query, with or without their paths.
void TestJsonPath::hitLimit()
{
    Json::Value tree(Json::objectValue);
    tree["H"].resize(50000);

    std::vector<const Json::Value*> hits;
    std::vector<std::string> paths;
    QCOMPARE(runQuery(tree, "$.H[*]", &hits, &paths), QString());
    QCOMPARE(hits.size(), std::size_t(50000));
    QCOMPARE(paths.back(), std::string("$.H[49999]"));

    // One hit more.
    hits.clear();
    QCOMPARE(runQuery(tree, "$.H[*,0]", &hits, &paths), QString("runtime_error"));
    QCOMPARE(runQuery(tree, "$.H[*,0]", &hits, nullptr), QString("runtime_error"));
}

void TestJsonPath::deepTrees()
{
    // As deep as jsoncpp's reader allows: the descent reaches the bottom.
    const Json::Value deep = deepTree(1000);
    std::vector<const Json::Value*> hits;
    std::vector<std::string> paths;
    QCOMPARE(runQuery(deep, "$..x", &hits, &paths), QString());
    QCOMPARE(hits.size(), std::size_t(1));
    QCOMPARE(paths.front().size(), std::string("$.").size() + 1000 * 2 + 1);

    // Deeper trees built in code fail cleanly instead of exhausting the stack.
    const Json::Value deeper = deepTree(3000);
    hits.clear();
    QCOMPARE(runQuery(deeper, "$..x", &hits, nullptr), QString("runtime_error"));
}

void TestJsonPath::hostileExpressions()
{
    const std::vector<std::string> fixed = {
        "", "$", "$.", "$..", "$...", "$[", "$]", "$[[[[", "$]]]]", "$.A[0", "$.A]]", "$[?(", "$[?()]", "$[()]",
        "$.A[?(@.ID==5]", "$.A[?(@.ID==5)", "$.A[(@.length-1]", "$['", "$[''']", "$.A[?(@.NAME==a)])]",
        "$.A[?(@.NAME==)]", "$.A[?(@.)]", "$.A[?(@)]", "$.A[?@.NAME]", "$.L[:]", "$.L[::]", "$.L[-]",
        "$.L[,]", "$.L[,,0,,]", "$#", "$.#0", "$.A[#0]", "$.A[?(@.X==#0)]", "$[($)]", "$[($.)]", "$[(@.length-)]",
        "$[(@.length-99999999999)]", "$.L[(@.length--1)]", std::string("$.\0.A", 5), "$;;;", "$.A;B",
        std::string(4096, '['), std::string(4096, '('), "$" + std::string(2000, '[') + std::string(2000, ']'),
        [] { std::string s("$"); for (int i = 0; i < 1000; ++i) s += "[("; return s; }(),
        [] { std::string s("$"); for (int i = 0; i < 680; ++i) s += "[?(@"; return s; }(),
    };
    int succeeded = 0;
    for (const std::string& expression : fixed) {
        std::vector<const Json::Value*> hits;
        std::vector<std::string> paths;
        const QString result = runQuery(document(), expression, &hits, &paths);
        QVERIFY2(!result.startsWith("exception"), qPrintable(result));
        QCOMPARE(paths.size(), hits.size());
        succeeded += result.isEmpty();
    }
    QVERIFY(succeeded > 0);

    // Random expressions from the path alphabet finish with a result or a
    // std::exception.
    std::mt19937 random(20240501);
    const std::string alphabet = "$.[]()?@*,:'\"#=<>-0123456789ABLS ;";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(1, 40);
    for (int i = 0; i < 3000; ++i) {
        std::string expression = "$";
        for (int n = length(random); n > 0; --n)
            expression += alphabet[pick(random)];
        std::vector<const Json::Value*> hits;
        const QString result = runQuery(document(), expression, &hits, nullptr);
        QVERIFY2(!result.startsWith("exception"), expression.c_str());
    }
}

QTEST_GUILESS_MAIN(TestJsonPath)
#include "tst_jsonpath.moc"
