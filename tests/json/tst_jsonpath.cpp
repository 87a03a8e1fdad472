// JSONPath evaluator: hits, hit order, hit paths, failures and the bounds on its work.

#include "JsonTestText.h"
#include "json/JsonPath.h"

#include <QtTest>

#include <boost/lexical_cast.hpp>

#include <stdexcept>
#include <string>
#include <vector>

using KORVALIS::JSON::JsonPath;

namespace {

// The test document: plain members, an array of users, members whose names
// look like path syntax, and names and values that are not valid UTF-8.
const Json::Value& document()
{
    static const Json::Value doc = [] {
        Json::Value d = fromText(R"json({
            "A": [{"ID": 5, "NAME": "Abc"}, {"ID": 7, "NAME": "x y"}, {"ID": 5}],
            "B": {"b": 1, "a": 2},
            "C": {"B": 3, "D": {"B": 4}},
            "Y": {"Z": "B"},
            "L": [0, 1, 2, 3, 4],
            "M": [[1, 2], [3, 4, 5]],
            "U": [{"NAME": "doe", "ID": 1}, {"NAME": "j.doe", "ID": -1},
                  {"NAME": "x y", "ID": 2}, {"NAME": "J.Doe2", "ID": 3.5}],
            "T": [{"ID": 3, "FACT": 1.5}, {"ID": 4, "FACT": 2}],
            "S": {"*": {"*": 1}, "..": {"x": 2}, "a,b": {"v": 3}, "1:2": {"v": 4}},
            "K": "($.K)",
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
QString runQuery(const Json::Value& tree, const std::string& expression, std::vector<const Json::Value*>* hits,
                 std::vector<std::string>* paths)
{
    try {
        return JsonPath().query(tree, expression, hits, paths) ? QString() : QString("false");
    } catch (const boost::bad_lexical_cast&) {
        return "bad_lexical_cast";
    } catch (const std::invalid_argument&) {
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
    void query_data()
    {
        QTest::addColumn<QByteArray>("expression");
        QTest::addColumn<QString>("failure");   // "" when the query succeeds
        QTest::addColumn<QString>("hits");      // the hit values as one JSON array
        QTest::addColumn<QStringList>("paths");
        const auto row = [](const char* name, const QByteArray& expr, const QString& hits, const QStringList& paths) {
            QTest::newRow(name) << expr << QString() << hits << paths;
        };
        // Only the outcome is compared, not the hits.
        const auto outcome = [](const char* name, const QByteArray& expr, const QString& failure) {
            QTest::newRow(name) << expr << failure << QString() << QStringList();
        };

        // Names, indices, wildcards, descent, unions and slices.
        row("beyond the end is a null hit", "$.A[5]", "[null]", {"$.A[5]"});
        outcome("index on an object", "$.B[0]", "json");
        row("star on object in byte order", "$.B.*", "[2,1]", {"$.B.a", "$.B.b"});
        row("descent pre-order", "$..B", R"([{"a":2,"b":1},3,4])", {"$.B", "$.C.B", "$.C.D.B"});
        row("slice step 0", "$.L[::0]", "[]", {});
        row("slice from the end", "$.L[-2:]", "[3,4]", {"$.L[3]", "$.L[4]"});
        row("slice as union member", "$.L[0,3:]", "[0,3,4]", {"$.L[0]", "$.L[3]", "$.L[4]"});
        row("slice with huge step", "$.L[0:10:9223372036854775807]", "[0]", {"$.L[0]"});
        outcome("slice bound beyond 64 bits", "$.L[99999999999999999999:]", "bad_lexical_cast");
        // Scripts and filters.
        row("length script on each element", "$.M[*][(@.length-1)]", "[2,5]", {"$.M[0][1]", "$.M[1][2]"});
        row("nested path script", "$.C[($.Y.Z)]", "[3]", {"$.C.B"});
        outcome("arithmetic script", "$.A[(1+2)]", "invalid_argument");
        row("filter on number", "$.A[?(@.ID==5)]", R"([{"ID":5,"NAME":"Abc"},{"ID":5}])", {"$.A[0]", "$.A[2]"});
        row("filter missing member is empty text", "$.A[?(@.NAME<>abc)]", R"([{"ID":7,"NAME":"x y"},{"ID":5}])",
            {"$.A[1]", "$.A[2]"});
        outcome("filter number against text", "$.A[?(@.ID==abc)]", "bad_lexical_cast");
        row("dotted operand selects only its user", "$.U[?(@.NAME==j.doe)]", R"([{"ID":-1,"NAME":"j.doe"}])", {"$.U[1]"});
        row("template filter, at most", "$.T[?(@.ID <=3)].FACT", "[1.5]", {"$.T[0].FACT"});
        row("unknown operator selects nothing", "$.U[?(@.ID!=1)]", "[]", {});
        // Member names that look like syntax are plain names.
        row("star twice", "$.S.*.*", "[1,2,4,3]", {"$.S.*.*", "$.S....x", "$.S.1:2.v", "$.S.a,b.v"});
        // Sub-expression markers.
        outcome("marker without sub-expression", "$.A[#99]", "out_of_range");
        outcome("marker in a nested path", "$[($[(#0)])]", "out_of_range");

        // Bounded work: 4096 characters, 256 steps.
        const QByteArray longest = "$." + QByteArray(4094, 'A');
        outcome("4096 characters", longest, "");
        outcome("4097 characters", longest + "A", "length_error");
        const QByteArray steps = "$" + QByteArray(".A").repeated(256);
        outcome("256 steps", steps, "");
        outcome("257 steps", steps + ".A", "length_error");
        // Every union part of an index on null is a null hit: 8^n hits.
        const QByteArray unionWork = "$.Z" + QByteArray("[0,0,0,0,0,0,0,0]").repeated(40);
        outcome("exploding union hits", unionWork, "runtime_error");
        outcome("exploding union work", unionWork + ".Q", "runtime_error");
        outcome("self-referring script", "$[($.K)]", "runtime_error");
    }

    // With or without a path list: the same hits or the same failure.
    void query()
    {
        QFETCH(QByteArray, expression);
        QFETCH(QString, failure);
        QFETCH(QString, hits);
        QFETCH(QStringList, paths);
        std::vector<const Json::Value*> hitList, plainHits;
        std::vector<std::string> pathList;
        QCOMPARE(runQuery(document(), expression.toStdString(), &hitList, &pathList), failure);
        QCOMPARE(runQuery(document(), expression.toStdString(), &plainHits, nullptr), failure);
        QCOMPARE(plainHits, hitList);
        if (hits.isNull())
            return;
        Json::Value hitArray(Json::arrayValue);
        for (const Json::Value* hit : hitList)
            hitArray.append(*hit);
        QCOMPARE(compact(hitArray), compact(fromText(hits.toUtf8())));
        QStringList shownPaths;
        for (const std::string& path : pathList)
            shownPaths << QString::fromLatin1(path.data(), int(path.size()));
        QCOMPARE(shownPaths, paths);
    }

    void invalidUtf8()
    {
        const Json::Value& doc = document();
        const std::string odd("\xff\xfe");
        std::vector<const Json::Value*> hits;
        std::vector<std::string> paths;
        QCOMPARE(runQuery(doc, "$.W." + odd + ".N", &hits, &paths), QString());
        QCOMPARE(runQuery(doc, "$.W[?(@.N==" + odd + ")]", &hits, &paths), QString());
        QCOMPARE(hits.size(), std::size_t(2));
        QCOMPARE(hits[0], &doc["W"][odd]["N"]);
        QCOMPARE(paths, std::vector<std::string>({"$.W." + odd + ".N", "$.W." + odd}));

    }

    void hitWorkAndDepthLimits()
    {
        // At most 50,000 hits per query.
        Json::Value tree(Json::objectValue);
        tree["H"].resize(50000);
        std::vector<const Json::Value*> hits;
        std::vector<std::string> paths;
        QCOMPARE(runQuery(tree, "$.H[*]", &hits, &paths), QString());
        QCOMPARE(hits.size(), std::size_t(50000));
        QCOMPARE(runQuery(tree, "$.H[*,0]", &hits, nullptr), QString("runtime_error"));

        // Each "A" of the union costs about 20,000 units of work and yields no
        // hit: 135 of them stay within the largest budget, 3,000,000, 165 do not.
        tree["A"].resize(10000);
        hits.clear();
        const std::string union135 = "$[A" + QByteArray(",A").repeated(134).toStdString();
        QCOMPARE(runQuery(tree, union135 + "][*].Q", &hits, nullptr), QString());
        QCOMPARE(runQuery(tree, union135 + QByteArray(",A").repeated(30).toStdString() + "][*].Q", &hits, nullptr),
                 QString("runtime_error"));
        QVERIFY(hits.empty());

        // As deep as jsoncpp's reader allows the descent reaches the bottom;
        // deeper trees built in code fail cleanly instead of exhausting the stack.
        QVERIFY(runQuery(deepTree(1000), "$..x", &hits, nullptr).isEmpty() && hits.size() == 1);
        QCOMPARE(runQuery(deepTree(3000), "$..x", &hits, nullptr), QString("runtime_error"));

        // The work budget follows the tree. Seven nested descents (an expression
        // the query fuzzer once hung on) reach each node once per way of sharing
        // its depth among them: on a chain of 8 levels about 240,000 units of
        // work, far beyond the budget of a tree of 10 nodes.
        QCOMPARE(runQuery(deepTree(8), "$.$...$.$...$..$.[]$']..$..$..,:", &hits, nullptr), QString("runtime_error"));

        // A walk over a larger tree costs more than the smallest budget and stays within the tree's own.
        Json::Value flat(Json::objectValue);
        for (int i = 0; i < 3000; ++i)
            flat["K" + std::to_string(i)].append(i);
        hits.clear();
        QCOMPARE(runQuery(flat, "$..*", &hits, &paths), QString());
        QCOMPARE(hits.size(), std::size_t(6000));
    }

    // Malformed and hostile expressions end in a known failure, never another exception.
    void hostileExpressions()
    {
        const std::string nasties[] = {
            "", "$..", "$[[[[", "$.L[99999999999]", "$.A[?(@.ID==5]", "$[''']", "$.L[,,0,,]", "$.A[?(@.X==#0)]", "$[($)]",
            "$[(@.length-99999999999)]", std::string("$.\0.A", 5), std::string(4096, '('),
            "$" + std::string(2000, '[') + std::string(2000, ']'), "$" + QByteArray("[(").repeated(1000).toStdString(),
            "$" + QByteArray("[?(@").repeated(680).toStdString(),
        };
        for (const std::string& expression : nasties) {
            std::vector<const Json::Value*> hits;
            std::vector<std::string> paths;
            const QString result = runQuery(document(), expression, &hits, &paths);
            QVERIFY2(!result.startsWith("exception") && paths.size() == hits.size(), qPrintable(result));
        }
    }
};

QTEST_GUILESS_MAIN(TestJsonPath)
#include "tst_jsonpath.moc"
