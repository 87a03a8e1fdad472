// The settings store: defaults written back, lists, the file's place and format.
#include "util/FileUtil.h"
#include "util/SettingsUtil.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <thread>
#include <vector>

namespace {

const char* const COLOURS = "#f44336,#32CD32,#cddc39,#00FFFF,#3f51b5,#8B008B,#ffeb3b,#ff9800,#8B0000,#000000,"
                            "#006400,#0000FF,#8B4513,#FF1493,#B452CD,#8B8B7A,#CDC9C9,#333333,#CD3700,#FF0000";

QString fileText()
{
    QFile file(SettingsUtil::fileName());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

QVariantList toVariants(const QStringList& texts)
{
    QVariantList list;
    for (const QString& text : texts)
        list.append(text);
    return list;
}

} // namespace

class TestSettingsUtil : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A first start: no data folder yet.
        QVERIFY(QDir(FileUtil::basePath()).removeRecursively());
    }

    void fileLivesInTheDataFolder()
    {
        const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                 + QStringLiteral("/TEVARO500/Ini/TEVARO500.ini");
        QCOMPARE(SettingsUtil::fileName(), expected);
        QVERIFY(!QFile::exists(expected));

        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Statusbar/Show/Value"), QStringLiteral("true"))
                     .toString(),
                 QStringLiteral("true"));
        // Written back and synced at once.
        QVERIFY(QFile::exists(expected));
        QVERIFY(fileText().contains(QStringLiteral("[Config]")));
        QVERIFY(fileText().contains(QStringLiteral("Statusbar\\Show\\Value=true")));
    }

    void storedValueIsReturnedUnchanged()
    {
        SettingsUtil::setValue(QStringLiteral("Config/Language/Selection"), QStringLiteral("EN"));
        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Language/Selection"), QStringLiteral("DE")).toString(),
                 QStringLiteral("EN"));
    }

    void emptyDefaultIsWrittenAsUnset()
    {
        const QString key = QStringLiteral("Config/TevaroApp/PollTime");
        QVERIFY(!SettingsUtil::getValue(key, QVariant()).isValid());
        QVERIFY(fileText().contains(QStringLiteral("TevaroApp\\PollTime=@Invalid()")));
        // Still unset on the next read, and written again.
        QVERIFY(!SettingsUtil::getValue(key, QVariant()).isValid());
        QVERIFY(SettingsUtil::getValue(key, QVariant()).toString().isEmpty());
    }

    // The run script writes these two keys; this pins their file form.
    void networkKeysInTheIniFormat()
    {
        SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/IPAdress"), QStringLiteral("127.0.0.1"));
        SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/Port"), QStringLiteral("8080"));
        const QString text = fileText();
        QVERIFY(text.contains(QStringLiteral("\nNetwork\\WebServer\\IPAdress=127.0.0.1\n")));
        QVERIFY(text.contains(QStringLiteral("\nNetwork\\WebServer\\Port=8080\n")));
        QSettings reader(SettingsUtil::fileName(), QSettings::IniFormat);
        QCOMPARE(reader.value(QStringLiteral("Config/Network/WebServer/Port")).toString(), QStringLiteral("8080"));
    }

    void valueLists_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");   // "-" leaves the key unset
        QTest::addColumn<QStringList>("defaults");
        QTest::addColumn<QStringList>("expected");

        const QStringList colours = QString::fromLatin1(COLOURS).split(QLatin1Char(','));
        QTest::newRow("graph colours on a fresh file")
            << "Config/LineChart/Graph/Color" << "-" << colours << colours;
        QTest::newRow("empty part kept") << "Config/Test/List1" << "a,,b" << QStringList{"x"}
                                         << QStringList{"a", "", "b"};
        QTest::newRow("single element") << "Config/Test/List2" << "a" << QStringList{"x", "y"} << QStringList{"a"};
        QTest::newRow("empty default") << "Config/Test/List3" << "-" << QStringList() << QStringList{""};
    }

    void valueLists()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QStringList, defaults);
        QFETCH(QStringList, expected);
        if (stored != QLatin1String("-"))
            SettingsUtil::setValue(key, stored);

        QCOMPARE(SettingsUtil::getValueList(key, toVariants(defaults)), toVariants(expected));
        // The list stays stored as one comma-joined text.
        QSettings reader(SettingsUtil::fileName(), QSettings::IniFormat);
        QCOMPARE(reader.value(key).toStringList().join(QLatin1Char(',')), expected.join(QLatin1Char(',')));
    }

    void listTypedIntoTheFileWithoutQuotes()
    {
        // A hand-edited "a,b" without quotes reads back as a string list.
        QSettings writer(SettingsUtil::fileName(), QSettings::IniFormat);
        writer.setValue(QStringLiteral("Config/Test/Edited"), QStringList{"#111111", "#222222"});
        writer.sync();
        // The shared store re-reads the file on its next sync.
        SettingsUtil::setValue(QStringLiteral("Config/Test/Touch"), 1);
        QCOMPARE(SettingsUtil::getValueList(QStringLiteral("Config/Test/Edited"), {}),
                 toVariants({"#111111", "#222222"}));
    }

    void listToString_data()
    {
        QTest::addColumn<QVariantList>("list");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two texts") << QVariantList{"1", "2"} << "1,2";
        QTest::newRow("numbers") << QVariantList{1, 2.5} << "1,2.5";
        QTest::newRow("empty") << QVariantList() << "";
        QTest::newRow("empty element") << QVariantList{"", "b"} << ",b";
    }

    void listToString()
    {
        QFETCH(QVariantList, list);
        QFETCH(QString, expected);
        QCOMPARE(SettingsUtil::listToString(list), expected);
    }

    void oneSharedHandle()
    {
        const int before = SettingsUtil::useCount();
        SettingsUtil* first = SettingsUtil::instance();
        QCOMPARE(SettingsUtil::instance(), first);
        QCOMPARE(SettingsUtil::useCount(), before + 2);
    }

    void usableFromSeveralThreads()
    {
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([t]() {
                const QString key = QStringLiteral("Config/Test/Thread%1").arg(t);
                for (int i = 0; i < 50; ++i) {
                    SettingsUtil::setValue(key, i);
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
