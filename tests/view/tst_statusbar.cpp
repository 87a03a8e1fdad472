// The status bar: text form, timing across page changes and messages from
// other threads.
#include "util/FileUtil.h"
#include "util/SettingsUtil.h"
#include "util/StatusMessageSink.h"
#include "view/StatusBar.h"

#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QMainWindow>
#include <QtTest>

#include <thread>

namespace {

QLineEdit* lineOf(QMainWindow& window)
{
    return window.findChild<QLineEdit*>(QStringLiteral("ledtDockbar"));
}

// The dock is part of the window and painted.
bool barVisible(QMainWindow& window)
{
    QDockWidget* dock = window.findChild<QDockWidget*>();
    return dock && dock->isVisible() && window.dockWidgetArea(dock) == Qt::BottomDockWidgetArea;
}

} // namespace

class TestStatusBar : public QObject
{
    Q_OBJECT

private:
    QMainWindow* window = nullptr;
    StatusBar* bar = nullptr;

private slots:
    void initTestCase()
    {
        QDir(FileUtil::basePath()).removeRecursively();
    }

    void init()
    {
        window = new QMainWindow();
        window->setCentralWidget(new QWidget());
        window->resize(800, 600);
        bar = new StatusBar(window, nullptr);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void cleanup()
    {
        delete bar;
        delete window;
    }

    void messageShowsWithTimeAndEnds()
    {
        const QDateTime before = QDateTime::currentDateTime().addMSecs(-1000);
        emit bar->showMessage(QStringLiteral("X"), SEVERITY_ERROR, 300);
        QVERIFY(barVisible(*window));
        QLineEdit* line = lineOf(*window);
        const QString text = line->text();
        QCOMPARE(text.mid(19), QStringLiteral("  X"));
        const QDateTime shown = QDateTime::fromString(text.left(19), QStringLiteral("dd.MM.yyyy hh:mm:ss"));
        QVERIFY(shown.isValid());
        QVERIFY(shown >= before.addMSecs(-before.time().msec()));
        QVERIFY(shown <= QDateTime::currentDateTime());
        QCOMPARE(line->property("ZZActive").toBool(), true);

        QTRY_VERIFY_WITH_TIMEOUT(!barVisible(*window), 5000);
        QCOMPARE(line->text(), QString());
        QCOMPARE(line->property("ZZActive").toBool(), false);
    }

    void pageChangeKeepsAMessageUntilItsTimeIsOver()
    {
        emit bar->showPermanent(true);
        emit bar->showMessage(QStringLiteral("welcome"), SEVERITY_NOTICE, 800);
        emit bar->showPermanent(false);   // the login page is left
        QVERIFY(barVisible(*window));
        QVERIFY(bar->text().endsWith(QStringLiteral("welcome")));
        emit bar->showPermanent(true);    // and entered again
        QVERIFY(bar->text().endsWith(QStringLiteral("welcome")));
        emit bar->showPermanent(false);
        QTRY_VERIFY_WITH_TIMEOUT(!barVisible(*window), 5000);
        QCOMPARE(bar->text(), QString());
    }

    void messagesFromOtherThreads()
    {
        std::thread worker([this]() {
            emit bar->showMessage(QStringLiteral("from a worker"), SEVERITY_ERROR, 10000);
        });
        worker.join();
        QTRY_VERIFY(bar->text().endsWith(QStringLiteral("  from a worker")));

        std::thread link([]() { StatusMessageSink::post(QStringLiteral("from the link"), SEVERITY_ERROR, 10000); });
        link.join();
        QTRY_VERIFY(bar->text().endsWith(QStringLiteral("  from the link")));
        QVERIFY(barVisible(*window));
    }

    void languageFileTextsFollowTheSelectedLanguage_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("German") << "DE" << "Das Gerät hat die Anfrage abgelehnt (HTTP 404); verworfen: $.A.%2";
        QTest::newRow("English") << "EN" << "Request rejected by the device (HTTP 404) and dropped: $.A.%2";
    }

    void languageFileTextsFollowTheSelectedLanguage()
    {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        // The bar reads the selection when it is made.
        cleanup();
        SettingsUtil::setValue(QStringLiteral("Config/Language/Selection"), key);
        init();

        // Sent from the link's thread; an argument's own "%2" stays as it is.
        std::thread link([]() {
            StatusMessageSink::postText(1455, QStringLiteral("default %1 %2"),
                                        {QStringLiteral("404"), QStringLiteral("$.A.%2")}, SEVERITY_ERROR, 10000);
        });
        link.join();
        QTRY_COMPARE(bar->text().mid(21), expected);
    }

};

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
