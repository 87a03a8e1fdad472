// Language files: the ones carried in the resources (strict format, the same
// texts in every language, the manual they name), first copy, refresh by
// version, repair of broken local copies, selection and fallback, and the
// text tables.
#include "TestFiles.h"

#include "common/CommonJSONUtil.h"
#include "util/FileUtil.h"
#include "util/LanguageUtil.h"
#include "util/SettingsUtil.h"
#include "widgets/TevaroResources.h"

#include <json/json.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QVersionNumber>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

namespace {

const char* const SELECTION = "Config/Language/Selection";

// Key -> folder of the language files carried in the resources.
const QMap<QString, QString> RESOURCE_FOLDERS{{"CS", "cs_CS"}, {"DE", "de_DE"}, {"EN", "en_GB"}, {"FR", "fr_FR"}};

QString resourceJson(const QString& key)
{
    const QString folder = RESOURCE_FOLDERS.value(key);
    return LanguageUtil::resourceBase() + folder + QLatin1Char('/') + folder + QStringLiteral(".json");
}

Json::Value resourceFile(const QString& key) { return CommonJSONUtil(resourceJson(key), nullptr).getSnapshot(); }

QString resourceText(const QString& key, int id)
{
    const Json::Value file = resourceFile(key);   // kept alive for the loop
    for (const Json::Value& entry : file["LT"])
        if (entry.isObject() && entry["ID"].isInt() && entry["ID"].asInt() == id && entry["T"].isString())
            return QString::fromStdString(entry["T"].asString());
    return QString();
}

QByteArray toText(const Json::Value& value) { return QByteArray::fromStdString(Json::writeString(Json::StreamWriterBuilder(), value)); }
QString localBase() { return FileUtil::basePath() + QStringLiteral("/Lang/"); }
QString localJson(const QString& key) { return localBase() + key + QLatin1Char('/') + key + QStringLiteral(".json"); }
QString selection() { return SettingsUtil::getValue(QLatin1String(SELECTION), QString()).toString(); }

int indexOf(LanguageUtil& util, const QString& key)
{
    int index = -1;
    return util.findByKey(key, index, true) ? index : -1;
}

// The resource's version of key moved by patchStep; below x.y.0 the minor version goes back.
QString resourceVersion(const QString& key, int patchStep)
{
    const QVersionNumber version =
        QVersionNumber::fromString(QString::fromStdString(resourceFile(key)["INFO"]["VER"].asString()));
    const int patch = version.microVersion() + patchStep;
    return patch >= 0 ? QStringLiteral("%1.%2.%3").arg(version.majorVersion()).arg(version.minorVersion()).arg(patch)
                      : QStringLiteral("%1.%2.99").arg(version.majorVersion()).arg(version.minorVersion() - 1);
}

} // namespace

class TestLanguageUtil : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
        QVERIFY(QDir(FileUtil::basePath()).removeRecursively());
    }

    // Each file starts with a byte-order mark and parses strictly (one object, no comments, no
    // duplicate keys); every language has the texts of the German one, no more, no fewer.
    void resourceFilesAreStrictAndComplete()
    {
        QMap<QString, QSet<int>> ids;
        for (const QString& key : RESOURCE_FOLDERS.keys()) {
            QByteArray text = readFile(resourceJson(key));
            QVERIFY2(text.startsWith("\xEF\xBB\xBF"), qPrintable(key));
            text.remove(0, 3);
            Json::CharReaderBuilder builder;
            Json::CharReaderBuilder::strictMode(&builder.settings_);
            builder["rejectDupKeys"] = true;
            Json::Value root;
            std::string errors;
            QVERIFY2(std::unique_ptr<Json::CharReader>(builder.newCharReader())
                         ->parse(text.constData(), text.constData() + text.size(), &root, &errors), errors.c_str());
            for (const Json::Value& entry : root["LT"])
                ids[key] << entry["ID"].asInt();
        }
        QVERIFY(!ids["DE"].isEmpty());
        for (const QString& key : RESOURCE_FOLDERS.keys())
            QVERIFY2(ids[key] == ids["DE"], qPrintable(key));
        const QByteArray manual = readFile(QStringLiteral(":/lang/de_DE/Bedienungsanleitung.pdf"));
        QVERIFY(manual.startsWith("%PDF-1.") && manual.trimmed().endsWith("%%EOF"));
    }

    void firstStartCopiesEveryLanguage()
    {
        LanguageUtil util;
        for (const QString& key : RESOURCE_FOLDERS.keys()) {
            const QString base = localBase() + key + QLatin1Char('/') + key;
            QCOMPARE(readFile(base + QStringLiteral(".json")), readFile(resourceJson(key)));
            QVERIFY2(QFile::exists(base + QStringLiteral(".png")), qPrintable(base));
        }
        // Nothing stored yet: the default "DE" is written back and selected.
        QCOMPARE(selection(), QStringLiteral("DE"));
        QCOMPARE(util.getText(LanguageUtil::TEXT, 70, QStringLiteral("?")), resourceText(QStringLiteral("DE"), 70));

        // The German documents lie beside the language file and are known by id.
        const Json::Value document = resourceFile(QStringLiteral("DE"))["FILE"][0];
        const QString path = localBase() + QStringLiteral("DE/") + QString::fromStdString(document["NAME"].asString());
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QCOMPARE(util.getText(LanguageUtil::FILES, document["ID"].asInt(), QString()), path);
    }

    // An older patch version or one that is no number is replaced; the replaced copy is the backup.
    void refreshByVersion()
    {
        const QString backup = localJson(QStringLiteral("EN")) + QStringLiteral(".bak");
        for (const auto& row : {qMakePair(resourceVersion(QStringLiteral("EN"), -1), true),
                                qMakePair(resourceVersion(QStringLiteral("EN"), 0), false), qMakePair(QString("beta"), true)}) {
            Json::Value local = resourceFile(QStringLiteral("EN"));
            local["INFO"]["VER"] = row.first.toStdString();
            local["MARK"] = "local";
            QVERIFY(writeFile(localJson(QStringLiteral("EN")), toText(local)) && writeFile(backup, "an older backup"));
            LanguageUtil util;
            QCOMPARE(!readFile(localJson(QStringLiteral("EN"))).contains("\"MARK\""), row.second);
            QCOMPARE(readFile(backup).contains("\"MARK\""), row.second);   // the replaced copy, not the older backup
            QCOMPARE(readFile(backup) == "an older backup", !row.second);
        }
    }

    // A local copy cut off, with INFO of wrong types or of another language is set aside and copied anew.
    void brokenLocalCopyIsRepaired()
    {
        SettingsUtil::setValue(QLatin1String(SELECTION), QStringLiteral("EN"));
        for (const QByteArray& content :
             {QByteArray("{\"INFO\":{\"VER\":\"9.9.9\",\"ORD\":20,\"LANG\":{\"K\":\"EN\""),
              QByteArray("{\"INFO\":{\"VER\":9,\"ORD\":\"20\",\"LANG\":{\"K\":\"EN\",\"T\":\"English\"}},\"LT\":[{\"ID\":70,\"T\":\"x\"}]}"),
              QByteArray("{\"INFO\":{\"VER\":\"9.9.9\",\"ORD\":0,\"LANG\":{\"K\":\"DE\",\"T\":\"Deutsch\"}},\"LT\":[{\"ID\":70,\"T\":\"x\"}]}")}) {
            QVERIFY(writeFile(localJson(QStringLiteral("EN")), content));
            LanguageUtil util;
            QCOMPARE(readFile(localJson(QStringLiteral("EN")) + QStringLiteral(".bak")), content);
            QCOMPARE(readFile(localJson(QStringLiteral("EN"))), readFile(resourceJson(QStringLiteral("EN"))));
            QCOMPARE(util.getCurrentKey(), QStringLiteral("EN"));   // the user's choice survives the repair
        }
    }

    void malformedEntriesAreSkipped()
    {
        Json::Value file = resourceFile(QStringLiteral("EN"));
        file["INFO"]["VER"] = resourceVersion(QStringLiteral("EN"), 1).toStdString();
        // Entries of every wrong shape, an id that is no number, one without text.
        Json::Reader().parse(R"([1, "text", null, [], {"ID": "70", "T": "by text id"}, {"ID": 70},
                                 {"ID": 220, "T": "Value X", "HS": 5}])", file["LT"]);
        Json::Reader().parse("[1, {}]", file["FILE"]);
        QVERIFY(writeFile(localJson(QStringLiteral("EN")), toText(file)));
        SettingsUtil::setValue(QLatin1String(SELECTION), QStringLiteral("EN"));

        LanguageUtil util;
        QCOMPARE(util.getText(LanguageUtil::TEXT, 220, QStringLiteral("?")), QStringLiteral("Value X"));
        QCOMPARE(util.getText(LanguageUtil::TEXT, 70, QStringLiteral("Default")), QStringLiteral("Default"));
        // A readable copy with a newer version is the user's: it stays.
        QVERIFY(readFile(localJson(QStringLiteral("EN"))).contains("Value X"));
        QFile::remove(localJson(QStringLiteral("EN")));
    }

    // Without "DE" the language with the lowest order is taken, not the
    // first one listed (the local folders list "CS" first).
    void withoutGermanTheLowestOrderIsTaken()
    {
        SettingsUtil::setValue(QLatin1String(SELECTION), QStringLiteral("XX"));
        QVERIFY(QDir(localBase() + QStringLiteral("DE")).removeRecursively());
        // A plain file where the folder belongs: German cannot be copied.
        QVERIFY(writeFile(localBase() + QStringLiteral("DE"), "no folder"));
        {
            LanguageUtil util;
            QCOMPARE(util.getLanguageInfo(0, LanguageUtil::KEY).toString(), QStringLiteral("CS"));
            QCOMPARE(util.getCurrentKey(), QStringLiteral("EN"));
        }
        QVERIFY(QFile::remove(localBase() + QStringLiteral("DE")));
    }

    void reapplyingReadsNothing()
    {
        SettingsUtil::setValue(QLatin1String(SELECTION), QStringLiteral("DE"));
        LanguageUtil util;
        const int english = indexOf(util, QStringLiteral("EN"));
        const int german = indexOf(util, QStringLiteral("DE"));
        QVERIFY(util.setLanguage(english, true));

        // Changed on disk, but the language in force is not read again.
        Json::Value file = resourceFile(QStringLiteral("EN"));
        Json::Value entry;
        entry["ID"] = 220;
        entry["T"] = "changed";
        file["LT"].append(entry);
        QVERIFY(writeFile(localJson(QStringLiteral("EN")), toText(file)));
        SettingsUtil::setValue(QLatin1String(SELECTION), QStringLiteral("ZZ"));
        QVERIFY(util.setLanguage(english, false));
        QCOMPARE(selection(), QStringLiteral("ZZ"));   // applied again, not chosen: nothing stored
        QCOMPARE(util.getText(LanguageUtil::TEXT, 220, QString()), resourceText(QStringLiteral("EN"), 220));

        // A real change reads the file and stores the choice.
        QVERIFY(util.setLanguage(german, true));
        QCOMPARE(selection(), QStringLiteral("DE"));
        QVERIFY(util.setLanguage(english, false));
        QCOMPARE(util.getText(LanguageUtil::TEXT, 220, QString()), QStringLiteral("changed"));
        QFile::remove(localJson(QStringLiteral("EN")));
    }

    void textsReadWhileTheLanguageChanges()
    {
        LanguageUtil util;
        const int english = indexOf(util, QStringLiteral("EN"));
        const int german = indexOf(util, QStringLiteral("DE"));
        const QString germanText = resourceText(QStringLiteral("DE"), 70);
        const QString englishText = resourceText(QStringLiteral("EN"), 70);
        QVERIFY(english >= 0 && german >= 0 && english != german);
        QVERIFY(!germanText.isEmpty() && !englishText.isEmpty() && germanText != englishText);
        std::atomic<bool> done{false};
        std::atomic<int> strange{0};
        std::thread reader([&]() {
            while (!done) {
                const QString text = util.getText(LanguageUtil::TEXT, 70, QStringLiteral("?"));
                if (text != germanText && text != englishText)
                    ++strange;
            }
        });
        // Each switch takes: the switching thread reads the new language's text at once.
        int missedSwitches = 0;
        for (int i = 0; i < 100; ++i) {
            const bool toEnglish = i % 2;
            if (!util.setLanguage(toEnglish ? english : german, false)
                || util.getText(LanguageUtil::TEXT, 70, QStringLiteral("?")) != (toEnglish ? englishText : germanText))
                ++missedSwitches;
        }
        done = true;
        reader.join();
        QCOMPARE(missedSwitches, 0);
        QCOMPARE(strange.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLanguageUtil)
#include "tst_languageutil.moc"
