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

    void fileInTheDataFolderWithDefaultsWrittenBack()
    {
        const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                 + QStringLiteral("/TEVARO500/Ini/TEVARO500.ini");
        QCOMPARE(SettingsUtil::fileName(), expected);
        QVERIFY(!QFile::exists(expected));

        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Statusbar/Show/Value"), QStringLiteral("true"))
                     .toString(),
                 QStringLiteral("true"));
        // Written back and synced at once.
        QVERIFY(fileText().contains(QStringLiteral("[Config]\nStatusbar\\Show\\Value=true")));

        // An empty default leaves the key empty, never Qt's invalid-value marker.
        const QString key = QStringLiteral("Config/TevaroApp/PollTime");
        QVERIFY(SettingsUtil::getValue(key, QVariant()).toString().isEmpty());
        QVERIFY(SettingsUtil::getValue(key, QVariant()).toString().isEmpty());
        QVERIFY(fileText().contains(QStringLiteral("\nTevaroApp\\PollTime=\n")));
        QVERIFY(!fileText().contains(QStringLiteral("@Invalid")));

        // The run script writes the address keys; this pins their file form.
        SettingsUtil::setValue(QStringLiteral("Config/Network/WebServer/Port"), QStringLiteral("8080"));
        QVERIFY(fileText().contains(QStringLiteral("\nNetwork\\WebServer\\Port=8080\n")));
    }

    // Lists are stored as one comma-joined text.
    void valueLists()
    {
        const QStringList colours{"#f44336", "#32CD32", "#cddc39"};
        const QVector<std::pair<QString, QStringList>> cases{{"Config/LineChart/Graph/Color", colours},
                                                             {"Config/Test/List3", QStringList()}};
        QSettings reader(SettingsUtil::fileName(), QSettings::IniFormat);
        for (const auto& list : cases) {
            const QStringList expected = list.second.isEmpty() ? QStringList{""} : list.second;
            QCOMPARE(SettingsUtil::getValueList(list.first, toVariants(list.second)), toVariants(expected));
            reader.sync();
            QCOMPARE(reader.value(list.first).toStringList().join(QLatin1Char(',')), expected.join(QLatin1Char(',')));
        }
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
