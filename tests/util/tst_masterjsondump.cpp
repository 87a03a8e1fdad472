// Holding F11 and F12 together writes the mirror into the data folder, once per
// chord; the keys still reach the widgets.
#include "common/CommonJSONUtil.h"
#include "util/FileUtil.h"
#include "util/JSONUtil.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QWidget>
#include <QtTest>

namespace {

class KeyCounter : public QWidget
{
public:
    int presses = 0;
    int releases = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override { ++presses; event->accept(); }
    void keyReleaseEvent(QKeyEvent* event) override { ++releases; event->accept(); }
};

void key(QWidget* target, QEvent::Type type, int key, bool autoRepeat = false)
{
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(target, &event);
}

QStringList dumps()
{
    return QDir(FileUtil::basePath()).entryList({QStringLiteral("MasterJson_*.json")}, QDir::Files, QDir::Name);
}

} // namespace

class TestMasterJSONDump : public QObject
{
    Q_OBJECT

private slots:
    void chordWritesTheMirrorOnce()
    {
        QDir(FileUtil::basePath()).removeRecursively();
        QVERIFY(QDir().mkpath(FileUtil::basePath()));
        JSONUtil util;
        util.appendJson(Json::Value("visible"), QStringLiteral("$.DATA.NAME"));
        util.appendJson(Json::Value("7f3a9c0d"), QStringLiteral("$.CLNT.TOKN"));
        Json::Value users(Json::arrayValue);
        users[0]["NAME"] = "admin";
        users[0]["PW"] = "admin-secret";
        users[1]["NAME"] = "bediener";
        users[1]["PASS"]["VAL"] = "1234-secret";
        util.appendJson(users, QStringLiteral("$.USMG.USLI"));
        KeyCounter widget;

        key(&widget, QEvent::KeyPress, Qt::Key_F11);
        key(&widget, QEvent::KeyPress, Qt::Key_F12);
        // Auto-repeat sends release/press pairs while the keys are held.
        for (int i = 0; i < 5; ++i) {
            key(&widget, QEvent::KeyRelease, Qt::Key_F12, true);
            key(&widget, QEvent::KeyPress, Qt::Key_F12, true);
        }
        QVERIFY(dumps().isEmpty());

        key(&widget, QEvent::KeyRelease, Qt::Key_F12);
        // F11 still held: pressing F12 again belongs to the same chord.
        QTest::qWait(5);
        key(&widget, QEvent::KeyPress, Qt::Key_F12);
        key(&widget, QEvent::KeyRelease, Qt::Key_F12);
        key(&widget, QEvent::KeyRelease, Qt::Key_F11);

        const QStringList written = dumps();
        QCOMPARE(written.size(), 1);

        // The token and every password are masked, wherever they are.
        const QString path = FileUtil::basePath() + QLatin1Char('/') + written.first();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(!text.contains("7f3a9c0d") && !text.contains("secret"));
        Json::Value value;
        QVERIFY(CommonJSONUtil(path, nullptr).getJSONbyPath(QStringLiteral("$.USMG.USLI[1].PASS.VAL"), value));
        QCOMPARE(value, Json::Value("***"));
        QVERIFY(CommonJSONUtil(path, nullptr).getJSONbyPath(QStringLiteral("$.DATA.NAME"), value));
        QCOMPARE(value, Json::Value("visible"));

        // Every event reached the widget.
        QCOMPARE(widget.presses, 8);
        QCOMPARE(widget.releases, 8);
    }
};

QTEST_MAIN(TestMasterJSONDump)
#include "tst_masterjsondump.moc"
