// The settings store: the file's place and format, defaults written back at
// once, lists, and use from several threads.
#include "TestFiles.h"

#include "util/FileUtil.h"
#include "util/SettingsUtil.h"

#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <thread>
#include <vector>

namespace {

QString fileText() { return QString::fromUtf8(readFile(SettingsUtil::fileName())); }

} // namespace

class TestSettingsUtil : public QObject
{
    Q_OBJECT

private slots:
    void fileInTheDataFolderWithDefaultsWrittenBack()
    {
        QVERIFY(QDir(FileUtil::basePath()).removeRecursively());   // a first start: no data folder yet
        const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                 + QStringLiteral("/TEVARO500/Ini/TEVARO500.ini");
        QCOMPARE(SettingsUtil::fileName(), expected);
        QVERIFY(!QFile::exists(expected));

        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Statusbar/Show/Value"), QStringLiteral("true")),
                 QVariant(QStringLiteral("true")));
        // Written back and synced at once.
        QVERIFY(fileText().contains(QStringLiteral("[Config]\nStatusbar\\Show\\Value=true")));

        // An empty default leaves the key empty, never Qt's invalid-value marker.
        for (int i = 0; i < 2; ++i)
            QVERIFY(SettingsUtil::getValue(QStringLiteral("Config/TevaroApp/PollTime"), QVariant()).toString().isEmpty());
        QVERIFY(fileText().contains(QStringLiteral("\nTevaroApp\\PollTime=\n")));
        QVERIFY(!fileText().contains(QStringLiteral("@Invalid")));

        // The run script writes the address keys; this pins their file form.
        SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/Port"), QStringLiteral("8080"));
        QVERIFY(fileText().contains(QStringLiteral("\nNetwork\\WebServer\\Port=8080\n")));
    }

    // Lists are stored as one comma-joined text; an empty one as one empty text.
    void valueLists()
    {
        const QVariantList colours{"#f44336", "#32CD32", "#cddc39"};
        QCOMPARE(SettingsUtil::getValueList(QStringLiteral("Config/LineChart/Graph/Color"), colours), colours);
        QCOMPARE(SettingsUtil::getValueList(QStringLiteral("Config/Test/List3"), QVariantList()), QVariantList{""});
        QVERIFY(fileText().contains(QStringLiteral("\nLineChart\\Graph\\Color=\"#f44336,#32CD32,#cddc39\"\n")));
        QVERIFY(fileText().contains(QStringLiteral("\nTest\\List3=\n")));
    }

    void usableFromSeveralThreads()
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
};

QTEST_GUILESS_MAIN(TestSettingsUtil)
#include "tst_settingsutil.moc"
