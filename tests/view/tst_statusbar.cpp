// The status bar: text form, timing, permanent mode, the off switch and
// messages from other threads.
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

QDockWidget* dockOf(QMainWindow& window)
{
    return window.findChild<QDockWidget*>();
}

// The dock is part of the window and painted.
bool barVisible(QMainWindow& window)
{
    QDockWidget* dock = dockOf(window);
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

    void startsHidden()
    {
        QVERIFY(!barVisible(*window));
        QVERIFY(!bar->isShown());
        QVERIFY(!lineOf(*window)->isEnabled());
        // The setting was read with its default and written back.
        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Statusbar/Show/Value"), QString()).toString(),
                 QStringLiteral("true"));
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

    void longMessageShowsItsBeginning()
    {
        const QString text = QString(300, QLatin1Char('w')) + QStringLiteral("END");
        emit bar->showMessage(text, SEVERITY_NOTICE, 10000);
        QCOMPARE(lineOf(*window)->cursorPosition(), 0);
    }

    void secondMessageReplacesAndGetsItsFullTime()
    {
        emit bar->showMessage(QStringLiteral("first"), SEVERITY_NOTICE, 200);
        emit bar->showMessage(QStringLiteral("second"), SEVERITY_NOTICE, 2500);
        QVERIFY(bar->text().endsWith(QStringLiteral("  second")));
        QTest::qWait(700);   // well past the first message's time
        QVERIFY(barVisible(*window));
        QVERIFY(bar->text().endsWith(QStringLiteral("  second")));
        QTRY_VERIFY_WITH_TIMEOUT(!barVisible(*window), 10000);
    }

    void permanentModeKeepsAnEmptyBar()
    {
        emit bar->showPermanent(true);
        QVERIFY(barVisible(*window));
        QCOMPARE(bar->text(), QString());
        emit bar->showMessage(QStringLiteral("on the login page"), SEVERITY_NOTICE, 200);
        QVERIFY(bar->text().endsWith(QStringLiteral("on the login page")));
        QTRY_COMPARE_WITH_TIMEOUT(bar->text(), QString(), 5000);
        QVERIFY(barVisible(*window));
        emit bar->showPermanent(false);
        QVERIFY(!barVisible(*window));
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

    void switchedOffShowsNothing()
    {
        SettingsUtil::setValue(QStringLiteral("Config/Statusbar/Show/Value"), QStringLiteral("false"));
        QMainWindow other;
        other.setCentralWidget(new QWidget());
        StatusBar off(&other, nullptr);
        other.show();
        emit off.showPermanent(true);
        emit off.showMessage(QStringLiteral("never"), SEVERITY_ERROR, 10000);
        StatusMessageSink::post(QStringLiteral("never either"), SEVERITY_ERROR, 10000);
        QCoreApplication::processEvents();
        QVERIFY(!barVisible(other));
        QCOMPARE(off.text(), QString());
        SettingsUtil::setValue(QStringLiteral("Config/Statusbar/Show/Value"), QStringLiteral("true"));
    }
};

QTEST_MAIN(TestStatusBar)
#include "tst_statusbar.moc"
