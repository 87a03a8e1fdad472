// The document opener: which links and paths it passes to the desktop viewer
// and which it refuses.
#include "util/DocumentOpener.h"

#include <QtTest>

class TestDocumentOpener : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { DocumentOpener::setHook(DocumentOpener::Hook()); }
    void targets_data();
    void targets();
};

void TestDocumentOpener::targets_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QUrl>("url");   // empty: refused

    const QUrl refused;
    QTest::newRow("absolute file") << "/opt/doc/handbuch.pdf" << QUrl::fromLocalFile("/opt/doc/handbuch.pdf");
    QTest::newRow("http") << "http://example.org/a.pdf" << QUrl("http://example.org/a.pdf");
    QTest::newRow("relative") << "doc/x.pdf" << refused;
    QTest::newRow("file url with host") << "file://server/share/x.pdf" << refused;
    QTest::newRow("javascript") << "javascript:alert(1)" << refused;
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

QTEST_GUILESS_MAIN(TestDocumentOpener)
#include "tst_documentopener.moc"
