// File helpers: copies never overwrite, resource copies are writable, and
// replacing keeps or restores a backup.
#include "../common/LogCapture.h"

#include "util/FileUtil.h"
#include "widgets/TevaroResources.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

namespace {

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestFileUtil : public QObject
{
    Q_OBJECT

private:
    QString dir;

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
        dir = FileUtil::basePath() + QStringLiteral("/FileUtilTest");
        QDir(dir).removeRecursively();
        QVERIFY(QDir().mkpath(dir));
    }

    void copyNeverOverwrites()
    {
        const QString source = dir + QStringLiteral("/source.txt");
        const QString destination = dir + QStringLiteral("/destination.txt");
        writeFile(source, "new");
        writeFile(destination, "old");
        LogCapture log;
        QVERIFY(!FileUtil::copyFile(source, destination, false));
        QCOMPARE(readFile(destination), QByteArray("old"));
        QCOMPARE(log.messages().size(), 1);
    }

    void copyFromTheResourcesIsWritable()
    {
        const QString destination = dir + QStringLiteral("/copied/TevaroApp.qss");
        QVERIFY(FileUtil::copyFile(QStringLiteral(":/qss/TevaroApp.qss"), destination, true));
        QCOMPARE(QFile::permissions(destination) & (QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                     | QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // Writable, so it can later be renamed and replaced.
        QVERIFY(FileUtil::renameFile(destination, destination + QStringLiteral(".bak")));
        QVERIFY(FileUtil::deleteFile(destination + QStringLiteral(".bak")));
    }

    void replaceKeepsABackup()
    {
        const QString source = dir + QStringLiteral("/fresh.json");
        const QString target = dir + QStringLiteral("/target.json");
        writeFile(source, "fresh");
        writeFile(target, "old");
        writeFile(target + QStringLiteral(".bak"), "older");
        QVERIFY(FileUtil::replaceWithBackup(source, target));
        QCOMPARE(readFile(target), QByteArray("fresh"));
        QCOMPARE(readFile(target + QStringLiteral(".bak")), QByteArray("old"));
    }

    void failedReplaceRestoresTheFile()
    {
        const QString target = dir + QStringLiteral("/kept.json");
        writeFile(target, "mine");
        LogCapture log;
        QVERIFY(!FileUtil::replaceWithBackup(dir + QStringLiteral("/no-source.json"), target));
        QCOMPARE(readFile(target), QByteArray("mine"));
        QVERIFY(!QFile::exists(target + QStringLiteral(".bak")));
        QVERIFY(!log.matching(QStringLiteral("Source file does not exist.")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFileUtil)
#include "tst_fileutil.moc"
