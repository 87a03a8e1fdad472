// File helpers: copies never overwrite, resource copies are writable, and
// replacing keeps or restores a backup.
#include "../common/LogCapture.h"
#include "TestFiles.h"

#include "util/FileUtil.h"
#include "widgets/TevaroResources.h"

#include <QtTest>

class TestFileUtil : public QObject
{
    Q_OBJECT

private:
    QString dir;

private slots:
    void initTestCase()
    {
        ensureTevaroResources();
        dir = FileUtil::basePath() + QStringLiteral("/FileUtilTest/");
        QDir(dir).removeRecursively();
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
};

QTEST_GUILESS_MAIN(TestFileUtil)
#include "tst_fileutil.moc"
