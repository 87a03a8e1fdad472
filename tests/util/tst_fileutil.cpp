// File helpers: results, the warnings they give, and the data folder.
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

    void dataFolderUnderTheGenericDataLocation()
    {
        QCOMPARE(FileUtil::basePath(),
                 QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/TEVARO500"));
        // The test runner gives each test executable a data folder of its own.
        QVERIFY(FileUtil::basePath().startsWith(qEnvironmentVariable("XDG_DATA_HOME")));
    }

    void createFileMakesFolderAndFile()
    {
        const QString path = dir + QStringLiteral("/new/sub/file.txt");
        QVERIFY(FileUtil::createFile(path, true));
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
    }

    void createFileOnAnExistingFileIsSilent()
    {
        const QString path = dir + QStringLiteral("/existing.txt");
        writeFile(path, "keep");
        LogCapture log;
        QVERIFY(!FileUtil::createFile(path, false));
        QVERIFY(log.messages().isEmpty());
        QCOMPARE(readFile(path), QByteArray("keep"));
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
        QCOMPARE(log.messages().first(),
                 QStringLiteral("static bool FileUtil::copyFile(const QString&, const QString&, bool)"
                                "\nThe file could not be copied.\nSource:      ")
                     + source + QStringLiteral("\nDestination: ") + destination);
    }

    void copyOfAMissingSource()
    {
        const QString source = dir + QStringLiteral("/missing.txt");
        LogCapture log;
        QVERIFY(!FileUtil::copyFile(source, dir + QStringLiteral("/x.txt"), true));
        QCOMPARE(log.messages(), QStringList{QStringLiteral("Source file does not exist.\nFile: ") + source});
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

    void deleteOfAMissingFile()
    {
        const QString path = dir + QStringLiteral("/gone.txt");
        LogCapture log;
        QVERIFY(!FileUtil::deleteFile(path));
        QCOMPARE(log.messages(),
                 QStringList{QStringLiteral("static bool FileUtil::deleteFile(const QString&)"
                                            "\nThe file could not be removed.\nFile: ")
                             + path});
    }

    void renameOntoAnExistingFile()
    {
        const QString source = dir + QStringLiteral("/a.txt");
        const QString destination = dir + QStringLiteral("/b.txt");
        writeFile(source, "a");
        writeFile(destination, "b");
        LogCapture log;
        QVERIFY(!FileUtil::renameFile(source, destination));
        QCOMPARE(log.messages(),
                 QStringList{QStringLiteral("static bool FileUtil::renameFile(const QString&, const QString&)"
                                            "\nThe file could not be renamed.\nSource:      ")
                             + source + QStringLiteral("\nDestination: ") + destination});
        QCOMPARE(readFile(destination), QByteArray("b"));
    }

    void createPathBelowAFile()
    {
        const QString file = dir + QStringLiteral("/plain.txt");
        writeFile(file, "x");
        LogCapture log;
        QVERIFY(!FileUtil::createPath(file + QStringLiteral("/sub")));
        QVERIFY(!FileUtil::dirExists(file + QStringLiteral("/sub"), true));
        QCOMPARE(log.matching(QStringLiteral("Failure while creating path: ") + file + QStringLiteral("/sub")).size(),
                 2);
        QVERIFY(!FileUtil::createFile(file + QStringLiteral("/sub/f.txt"), true));
    }

    void existenceChecks()
    {
        const QString folder = dir + QStringLiteral("/made");
        QVERIFY(!FileUtil::dirExists(folder, false));
        QVERIFY(FileUtil::dirExists(folder, true));
        QVERIFY(FileUtil::dirExists(folder, false));

        const QString file = folder + QStringLiteral("/deeper/f.txt");
        QVERIFY(!FileUtil::fileExists(file, false));
        QVERIFY(!QFile::exists(file));
        QVERIFY(FileUtil::fileExists(file, true));
        QVERIFY(QFile::exists(file));
    }

    void errorTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("expected");
        const QString pair = QStringLiteral("\nSource:      f\nDestination: d");
        QTest::newRow("open") << int(QFileDevice::OpenError) << "C\nThe file could not be opened.\nFile: f";
        QTest::newRow("resource") << int(QFileDevice::ResourceError) << "C\nA ressource error occurred";
        QTest::newRow("permissions") << int(QFileDevice::PermissionsError) << "C\nThe file could not be accessed.\nFile: f";
        QTest::newRow("unknown") << 15 << QStringLiteral("C\nAn unknown error occurred.\nError Code:  15") + pair;
    }

    void errorTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, expected);
        LogCapture log;
        QVERIFY(!FileUtil::checkFileError(static_cast<QFileDevice::FileError>(code), QStringLiteral("C"),
                                          QStringLiteral("f"), QStringLiteral("d")));
        QCOMPARE(log.messages(), QStringList{expected});
    }

    void noErrorIsSilent()
    {
        LogCapture log;
        QVERIFY(FileUtil::checkFileError(QFileDevice::NoError, QStringLiteral("C"), QString(), QString()));
        QVERIFY(log.messages().isEmpty());
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
