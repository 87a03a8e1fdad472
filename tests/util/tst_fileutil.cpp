// File helpers: copies never overwrite, resource copies are writable, and
// replacing keeps or restores a backup.
#include "../common/LogCapture.h"

#include "util/FileUtil.h"
#include "widgets/TevaroResources.h"

#include <QDir>
#include <QFile>
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

    void copies()
    {
        const QString source = dir + QStringLiteral("/source.txt");
        const QString destination = dir + QStringLiteral("/destination.txt");
        writeFile(source, "new");
        writeFile(destination, "old");
        LogCapture log;
        QVERIFY(!FileUtil::copyFile(source, destination, false));   // never overwrites
        QCOMPARE(readFile(destination), QByteArray("old"));

        // A copy from the resources is writable, so it can later be renamed and replaced.
        const QString copied = dir + QStringLiteral("/copied/TevaroApp.qss");
        QVERIFY(FileUtil::copyFile(QStringLiteral(":/qss/TevaroApp.qss"), copied, true));
        QCOMPARE(QFile::permissions(copied) & (QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                | QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    // Replacing keeps the old file as the backup; a failed replace restores it.
    void replaceWithBackup()
    {
        const QString source = dir + QStringLiteral("/fresh.json");
        const QString target = dir + QStringLiteral("/target.json");
        writeFile(source, "fresh");
        writeFile(target, "old");
        writeFile(target + QStringLiteral(".bak"), "older");
        QVERIFY(FileUtil::replaceWithBackup(source, target));
        QCOMPARE(readFile(target), QByteArray("fresh"));
        QCOMPARE(readFile(target + QStringLiteral(".bak")), QByteArray("old"));

        const QString kept = dir + QStringLiteral("/kept.json");
        writeFile(kept, "mine");
        LogCapture log;
        QVERIFY(!FileUtil::replaceWithBackup(dir + QStringLiteral("/no-source.json"), kept));
        QCOMPARE(readFile(kept), QByteArray("mine"));
        QVERIFY(!QFile::exists(kept + QStringLiteral(".bak")));
    }
};

QTEST_GUILESS_MAIN(TestFileUtil)
#include "tst_fileutil.moc"
