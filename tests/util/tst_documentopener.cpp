// The document opener: which links and paths it passes to the desktop viewer
// and which it refuses, and that the replaceable hook is what opens them.

#include "../common/LogCapture.h"
#include "util/DocumentOpener.h"

#include <QtTest>

class TestDocumentOpener : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { DocumentOpener::setHook(DocumentOpener::Hook()); }
    void targets_data();
    void targets();
    void refusedTargetsNeverReachTheViewer();
    void viewerFailureIsReported();
};

void TestDocumentOpener::targets_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QUrl>("url");   // empty: refused

    const QUrl refused;
    QTest::newRow("absolute file") << "/opt/doc/handbuch.pdf" << QUrl::fromLocalFile("/opt/doc/handbuch.pdf");
    QTest::newRow("absolute file, spaces") << "/opt/doc/Hand buch.pdf" << QUrl::fromLocalFile("/opt/doc/Hand buch.pdf");
    QTest::newRow("absolute file, dots") << "/opt/doc/../x.pdf" << QUrl::fromLocalFile("/opt/x.pdf");
    QTest::newRow("surrounding blanks") << "  /opt/x.pdf " << QUrl::fromLocalFile("/opt/x.pdf");
    QTest::newRow("file url") << "file:///opt/doc/x.pdf" << QUrl::fromLocalFile("/opt/doc/x.pdf");
    QTest::newRow("http") << "http://example.org/a.pdf" << QUrl("http://example.org/a.pdf");
    QTest::newRow("https, upper case scheme") << "HTTPS://example.org/" << QUrl("https://example.org/");
    QTest::newRow("empty") << "" << refused;
    QTest::newRow("blank") << "   " << refused;
    QTest::newRow("relative") << "doc/x.pdf" << refused;
    QTest::newRow("file url, relative") << "file:doc/x.pdf" << refused;
    QTest::newRow("file url with host") << "file://server/share/x.pdf" << refused;
    QTest::newRow("drive letter") << "C:\\Programme\\x.pdf" << refused;
    QTest::newRow("resource") << ":/pic/icon/arrow_up.png" << refused;
    QTest::newRow("javascript") << "javascript:alert(1)" << refused;
    QTest::newRow("mailto") << "mailto:service@example.org" << refused;
    QTest::newRow("smb") << "smb://server/x.pdf" << refused;
    QTest::newRow("http without host") << "http:///x" << refused;
}

void TestDocumentOpener::targets()
{
    QFETCH(QString, target);
    QFETCH(QUrl, url);
    QCOMPARE(DocumentOpener::toUrl(target), url);

    QList<QUrl> opened;
    DocumentOpener::setHook([&opened](const QUrl& u) {
        opened.append(u);
        return true;
    });
    QCOMPARE(DocumentOpener::open(target), !url.isEmpty());
    QCOMPARE(opened.size(), url.isEmpty() ? 0 : 1);
}

void TestDocumentOpener::refusedTargetsNeverReachTheViewer()
{
    LogCapture log;
    int calls = 0;
    DocumentOpener::setHook([&calls](const QUrl&) {
        ++calls;
        return true;
    });
    QVERIFY(!DocumentOpener::open(QStringLiteral("javascript:alert(1)")));
    QCOMPARE(calls, 0);
    QCOMPARE(log.matching(QStringLiteral("javascript:alert(1)")).size(), 1);
}

void TestDocumentOpener::viewerFailureIsReported()
{
    DocumentOpener::setHook([](const QUrl&) { return false; });
    QVERIFY(!DocumentOpener::open(QStringLiteral("/opt/doc/x.pdf")));
}

QTEST_GUILESS_MAIN(TestDocumentOpener)
#include "tst_documentopener.moc"
