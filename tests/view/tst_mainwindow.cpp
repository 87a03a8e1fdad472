// The main window: its pages, the Back key, the dialog counter, closing, the
// application's look and the language switch over the whole window.
#include "util/AppContext.h"
#include "util/FileUtil.h"
#include "util/Language.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"
#include "view/DataMain.h"
#include "view/Home.h"
#include "view/MainWindow.h"
#include "view/NetworkConfig.h"
#include "view/OverallView.h"
#include "view/StatusBar.h"
#include "view/UserLogin.h"
#include "view/UserManagement.h"
#include "widgets/ZDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QtTest>

namespace {

// Reaches the shared Language the way every screen does.
class LanguageProbe : public OverallView
{
public:
    Language* get() const { return language; }
};

QString sheet(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every translatable widget below root: (widget, the text it shows).
QList<QPair<QWidget*, QString>> translatedTexts(QWidget* root)
{
    QList<QPair<QWidget*, QString>> result;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        bool ok = false;
        const int id = widget->property("Language_ID").toInt(&ok);
        if (!ok || id == -1)
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget))
            result.append({widget, label->text()});
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            result.append({widget, button->text()});
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            result.append({widget, edit->placeholderText()});
        else if (auto* box = qobject_cast<QGroupBox*>(widget))
            result.append({widget, box->title()});
    }
    return result;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    TevaroApp* app = nullptr;
    MainWindow* window = nullptr;

    QStackedWidget* stack() { return window->findChild<QStackedWidget*>(QStringLiteral("stackedWidget_Main")); }

private slots:
    void initTestCase()
    {
        QDir(FileUtil::basePath()).removeRecursively();
        // A choice no language file offers: the window falls back without storing it.
        SettingsUtil::setValue(QStringLiteral("Config/Language/Selection"), QStringLiteral("XX"));
        app = new TevaroApp(nullptr);
        window = app->getMainWindow();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void cleanupTestCase()
    {
        delete app;
        QVERIFY(!AppContext::get()->getApp());
        AppContext::release();
    }

    void init()
    {
        window->setPage(MainWindow::LOGIN);
    }

    void fallbackLanguageIsNotStored()
    {
        LanguageProbe probe;
        QCOMPARE(probe.get()->getCurrentKey(), QStringLiteral("DE"));
        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Language/Selection"), QString()).toString(),
                 QStringLiteral("XX"));
    }

    // Picked from the list, the language the fallback chose is the user's choice.
    void pickingTheFallbackLanguageStoresIt()
    {
        QComboBox* box = window->getLoginPage()->findChild<QComboBox*>(QStringLiteral("cbxUserLoginLanguage"));
        QVERIFY(box);
        const int entry = box->findText(QStringLiteral("Deutsch"));
        QCOMPARE(entry, box->currentIndex());
        emit box->activated(entry);
        QCOMPARE(SettingsUtil::getValue(QStringLiteral("Config/Language/Selection"), QString()).toString(),
                 QStringLiteral("DE"));
    }

    void applicationLook()
    {
        QCOMPARE(qApp->styleSheet(),
                 sheet(QStringLiteral(":/qss/TevaroApp.qss")) + sheet(QStringLiteral(":/qss/TevaroApp_Desktop.qss")));
        QVERIFY(!qApp->styleSheet().isEmpty());
        QCOMPARE(QApplication::font().pointSize(), 12);
        QVERIFY(QApplication::font().styleStrategy() & QFont::PreferAntialias);
    }

    void windowAndPages()
    {
        QCOMPARE(window->objectName(), QStringLiteral("MainWindow"));
        QCOMPARE(window->windowTitle(), QStringLiteral("TEVARO500"));
        QCOMPARE(window->size(), QSize(1280, 800));
        QVERIFY(window->isVisible());
        QCOMPARE(stack()->count(), 5);

        const QStringList names{"Login", "Home", "DataMain", "NetworkConfig", "UserManagement"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(window->pageIndex(names.at(i)), i);
        QVERIFY(qobject_cast<UserLogin*>(stack()->widget(0)));
        QVERIFY(qobject_cast<Home*>(stack()->widget(1)));
        QVERIFY(qobject_cast<DataMain*>(stack()->widget(2)));
        QVERIFY(qobject_cast<NetworkConfig*>(stack()->widget(3)));
        QVERIFY(qobject_cast<UserManagement*>(stack()->widget(4)));
        QCOMPARE(window->getLoginPage(), qobject_cast<UserLogin*>(stack()->widget(0)));

        AppContext* context = AppContext::get();
        QCOMPARE(context->getApp(), app);
        QCOMPARE(context->getMainWindow(), window);
        AppContext::release();
        QCOMPARE(OverallView::getMainWindow(), window);
        QVERIFY(OverallView::getStatusBar());
        QVERIFY(OverallView::getMessageDialog());
    }

    void setPage()
    {
        QWidget* shown = window->setPage(MainWindow::NETWORK_CONFIG);
        QCOMPARE(shown, stack()->widget(3));
        QVERIFY(window->isCurrentPage(MainWindow::NETWORK_CONFIG));
        for (int outside : {5, -1, 99}) {
            QCOMPARE(window->setPage(outside), shown);
            QVERIFY(window->isCurrentPage(MainWindow::NETWORK_CONFIG));
        }
    }

    void statusBarFollowsThePage()
    {
        StatusBar* bar = OverallView::getStatusBar();
        window->setPage(MainWindow::LOGIN);
        QVERIFY(bar->isPermanent());
        QVERIFY(bar->isShown());
        window->setPage(MainWindow::HOME);
        QVERIFY(!bar->isPermanent());
        QVERIFY(!bar->isShown());
    }

    void backKey_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("logouts");
        QTest::newRow("login: passed on") << int(MainWindow::LOGIN) << int(MainWindow::LOGIN) << 0;
        QTest::newRow("home: log out") << int(MainWindow::HOME) << int(MainWindow::LOGIN) << 1;
        QTest::newRow("measurement: home") << int(MainWindow::DATA_MAIN) << int(MainWindow::HOME) << 0;
        QTest::newRow("network: login") << int(MainWindow::NETWORK_CONFIG) << int(MainWindow::LOGIN) << 0;
        QTest::newRow("users: home") << int(MainWindow::USER_MANAGEMENT) << int(MainWindow::HOME) << 0;
    }

    void backKey()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, logouts);
        window->setPage(from);
        QSignalSpy logout(app, SIGNAL(onLogout()));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Back, Qt::NoModifier);
        const bool consumed = QApplication::sendEvent(window, &press) && press.isAccepted();
        QVERIFY(window->isCurrentPage(to));
        QCOMPARE(logout.size(), logouts);
        if (from != MainWindow::LOGIN)
            QVERIFY(consumed);
    }

    void openDialogBlocksTheBackKey()
    {
        window->setPage(MainWindow::USER_MANAGEMENT);
        ZDialog* dialog = new ZDialog(window);
        dialog->show();
        QCOMPARE(window->getDialogCounter(), 1);
        QTest::keyClick(window, Qt::Key_Back);
        QVERIFY(window->isCurrentPage(MainWindow::USER_MANAGEMENT));

        // Gone while shown: the counter must not stay up.
        delete dialog;
        QCOMPARE(window->getDialogCounter(), 0);
        QTest::keyClick(window, Qt::Key_Back);
        QVERIFY(window->isCurrentPage(MainWindow::HOME));

        window->reduceDialogCounter();   // an unmatched hide never goes below 0
        QCOMPARE(window->getDialogCounter(), 0);
    }

    void languageSwitchReachesEveryTranslatableWidget()
    {
        LanguageProbe probe;
        Language* language = probe.get();
        int english = -1;
        int german = -1;
        QVERIFY(language->findLanguage(QStringLiteral("EN"), english));
        QVERIFY(language->findLanguage(QStringLiteral("DE"), german));

        language->update(german, window);
        const QList<QPair<QWidget*, QString>> before = translatedTexts(window);
        QVERIFY(!before.isEmpty());

        language->update(english, window);
        const QList<QPair<QWidget*, QString>> after = translatedTexts(window);
        QCOMPARE(after.size(), before.size());
        int changed = 0;
        for (int i = 0; i < after.size(); ++i) {
            QWidget* widget = after.at(i).first;
            const QString expected = language->getText(widget->property("Language_ID").toInt(),
                                                       widget->property("Language_Default").toString());
            QCOMPARE(after.at(i).second, expected);
            if (after.at(i).second != before.at(i).second)
                ++changed;
        }
        QVERIFY(changed > 0);
        language->update(german, window);
    }

    void closingOnTheLoginPageStillLogsOut()
    {
        QSignalSpy logout(app, SIGNAL(onLogout()));
        bool logoutBeforeClosed = false;
        QMetaObject::Connection connection = connect(app, &TevaroApp::onLogout, [&]() {
            logoutBeforeClosed = window->isVisible();
        });
        QVERIFY(window->close());
        disconnect(connection);
        QCOMPARE(logout.size(), 1);
        QVERIFY(logoutBeforeClosed);
        QVERIFY(!window->isVisible());
        window->show();
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
