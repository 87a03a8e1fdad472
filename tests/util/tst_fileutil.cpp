// The files the client keeps and opens: copies never overwrite, resource
// copies are writable, replacing keeps or restores a backup; the settings
// file's place and format, defaults written back at once, lists, use from
// several threads; the links and paths passed to the desktop viewer.
#include "../common/LogCapture.h"
#include "TestFiles.h"

#include "util/DocumentOpener.h"
#include "util/FileUtil.h"
#include "util/SettingsUtil.h"
#include "widgets/TevaroResources.h"

#include "common/CommonJSONUtil.h"

#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

#include <thread>
#include <vector>

namespace {

QString settingsText() { return QString::fromUtf8(readFile(SettingsUtil::fileName())); }

} // namespace

class TestFileUtil : public QObject
{
    Q_OBJECT

private:
    const QString dir = FileUtil::basePath() + QStringLiteral("/FileUtilTest/");

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
        QVERIFY(QDir(FileUtil::basePath()).removeRecursively());   // a first start: no data folder yet
    }

    void settingsFileWithDefaultsWrittenBack()
    {
        const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                 + QStringLiteral("/TEVARO500/Ini/TEVARO500.ini");
        QCOMPARE(SettingsUtil::fileName(), expected);
        QVERIFY(!QFile::exists(expected));

        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Statusbar/Show/Value"), QStringLiteral("true")),
                 QVariant(QStringLiteral("true")));
        // Written back and synced at once.
        QVERIFY(settingsText().contains(QStringLiteral("[Config]\nStatusbar\\Show\\Value=true")));

        // An empty default leaves the key empty, never Qt's invalid-value marker.
        for (int i = 0; i < 2; ++i)
            QVERIFY(SettingsUtil::getValue(QStringLiteral("Config/TevaroApp/PollTime"), QVariant()).toString().isEmpty());
        QVERIFY(settingsText().contains(QStringLiteral("\nTevaroApp\\PollTime=\n")));
        QVERIFY(!settingsText().contains(QStringLiteral("@Invalid")));

        // The run script writes the address keys; this pins their file form.
        SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/Port"), QStringLiteral("8080"));
        QVERIFY(settingsText().contains(QStringLiteral("\nNetwork\\WebServer\\Port=8080\n")));

        // Lists are stored as one comma-joined text; an empty one as one empty text.
        const QVariantList colours{"#f44336", "#32CD32", "#cddc39"};
        QCOMPARE(SettingsUtil::getValueList(QStringLiteral("Config/LineChart/Graph/Color"), colours), colours);
        QCOMPARE(SettingsUtil::getValueList(QStringLiteral("Config/Test/List3"), QVariantList()), QVariantList{""});
        QVERIFY(settingsText().contains(QStringLiteral("\nLineChart\\Graph\\Color=\"#f44336,#32CD32,#cddc39\"\n")));
        QVERIFY(settingsText().contains(QStringLiteral("\nTest\\List3=\n")));
    }

    void settingsFromSeveralThreads()
    {
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([t]() {
                for (int i = 0; i < 50; ++i) {
                    SettingsUtil::setValue(QStringLiteral("Config/Test/Thread%1").arg(t), i);
                    SettingsUtil::getValue(QStringLiteral("Config/Language/Selection"), QStringLiteral("DE"));
                }
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        for (int t = 0; t < 4; ++t)
            QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Test/Thread%1").arg(t), 0).toInt(), 49);
    }

    void copies()
    {
        QVERIFY(writeFile(dir + "source.txt", "new") && writeFile(dir + "destination.txt", "old"));
        LogCapture log;
        QVERIFY(!FileUtil::copyFile(dir + "source.txt", dir + "destination.txt", false));   // never overwrites
        QCOMPARE(readFile(dir + "destination.txt"), QByteArray("old"));

        // A copy from the resources is writable, so it can later be renamed and replaced.
        const QString copied = dir + QStringLiteral("copied/TevaroApp.qss");
        QVERIFY(FileUtil::copyFile(QStringLiteral(":/qss/TevaroApp.qss"), copied, true));
        QCOMPARE(QFile::permissions(copied) & (QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                | QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // Replacing keeps the old file as the backup; a failed replace restores it.
    void replaceWithBackup()
    {
        const QString target = dir + QStringLiteral("target.json");
        QVERIFY(writeFile(dir + "fresh.json", "fresh") && writeFile(target, "old") && writeFile(target + ".bak", "older"));
        QVERIFY(FileUtil::replaceWithBackup(dir + "fresh.json", target));
        QCOMPARE(readFile(target), QByteArray("fresh"));
        QCOMPARE(readFile(target + ".bak"), QByteArray("old"));

        LogCapture log;
        QVERIFY(!FileUtil::replaceWithBackup(dir + QStringLiteral("no-source.json"), target));
        QCOMPARE(readFile(target), QByteArray("fresh"));
        QVERIFY(!QFile::exists(target + ".bak"));   // moved back, not copied
    }

    // Absolute files and web links are opened; relative paths, files on another host and scripts are refused.
    // A JSON file is written whole or not at all: a save that the system cuts off
    // (here at a file-size limit of 64 KiB) leaves the old file as it was.
    void interruptedJsonSaveKeepsTheOldFile()
    {
        QVERIFY(QDir().mkpath(dir));
        const QString file = dir + QStringLiteral("whole.json");
        Json::Value small(Json::objectValue);
        small["MENU"] = "alt";
        QVERIFY(CommonJSONUtil::writeJsonFile(file, small));
        const QByteArray before = readFile(file);

        Json::Value large(Json::arrayValue);
        for (int i = 0; i < 20000; ++i)
            large.append("Kanal " + std::to_string(i));
        rlimit limit{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &limit) == 0);
        const rlimit kept = limit;
        const auto oldHandler = signal(SIGXFSZ, SIG_IGN);   // a write past the limit fails instead
        limit.rlim_cur = 64 * 1024;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        LogCapture log;
        const bool written = CommonJSONUtil::writeJsonFile(file, large);
        setrlimit(RLIMIT_FSIZE, &kept);
        signal(SIGXFSZ, oldHandler);

        QVERIFY(!written && !log.matching(QStringLiteral("Not able to write File")).isEmpty());
        QCOMPARE(readFile(file), before);
        QCOMPARE(QDir(dir).entryList(QDir::Files).filter(QStringLiteral("whole.json")), QStringList{"whole.json"});
        QVERIFY(CommonJSONUtil::writeJsonFile(file, large) && readFile(file).size() > 64 * 1024);
    }

    void documentTargets()
    {
        const QList<QPair<QString, QUrl>> targets{
            {"/opt/doc/handbuch.pdf", QUrl::fromLocalFile("/opt/doc/handbuch.pdf")},
            {"http://example.org/a.pdf", QUrl("http://example.org/a.pdf")},
            {"doc/x.pdf", QUrl()}, {"file://server/share/x.pdf", QUrl()}, {"javascript:alert(1)", QUrl()}};
        QList<QUrl> opened;
        DocumentOpener::setHook([&opened](const QUrl& url) {
            opened.append(url);
            return true;
        });
        for (const auto& target : targets) {
            QCOMPARE(DocumentOpener::toUrl(target.first), target.second);
            opened.clear();
            QCOMPARE(DocumentOpener::open(target.first), !target.second.isEmpty());
            QCOMPARE(opened.size(), target.second.isEmpty() ? 0 : 1);
        }
        DocumentOpener::setHook(DocumentOpener::Hook());
    }
};

QTEST_GUILESS_MAIN(TestFileUtil)
#include "tst_fileutil.moc"
