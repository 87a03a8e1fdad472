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

        const QStringList colours{"#f44336", "#32CD32", "#cddc39"};
        QTest::newRow("graph colours on a fresh file")
            << "Config/LineChart/Graph/Color" << "-" << colours << colours;
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
