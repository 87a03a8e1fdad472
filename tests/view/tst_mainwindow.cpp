// The main window: the Back key, closing, the fallback language and the
// language switch over the whole window.
#include "util/AppContext.h"
#include "util/FileUtil.h"
#include "util/Language.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"
#include "view/MainWindow.h"
#include "view/OverallView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Reaches the shared Language the way every screen does.
class LanguageProbe : public OverallView
{
public:
    Language* get() const { return language; }
};

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

    void backKey_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("logouts");
        QTest::newRow("home: log out") << int(MainWindow::HOME) << int(MainWindow::LOGIN) << 1;
        QTest::newRow("network: login") << int(MainWindow::NETWORK_CONFIG) << int(MainWindow::LOGIN) << 0;
    }

    void backKey()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, logouts);
        window->setPage(from);
        QSignalSpy logout(app, SIGNAL(onLogout()));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Back, Qt::NoModifier);
        QVERIFY(QApplication::sendEvent(window, &press) && press.isAccepted());
        QVERIFY(window->isCurrentPage(to));
        QCOMPARE(logout.size(), logouts);
    }

    void languageSwitchReachesEveryTranslatableWidget()
    {
        LanguageProbe probe;
        Language* language = probe.get();
        int english = -1;
        int german = -1;
        QVERIFY(language->findLanguage(QStringLiteral("EN"), english));
        QVERIFY(language->findLanguage(QStringLiteral("DE"), german));

        language->update(english, window);
        const QList<QPair<QWidget*, QString>> shown = translatedTexts(window);
        QVERIFY(shown.size() > 10);
        for (const auto& text : shown)
            QCOMPARE(text.second, language->getText(text.first->property("Language_ID").toInt(),
                                                    text.first->property("Language_Default").toString()));
        language->update(german, window);
    }

    void closingOnTheLoginPageStillLogsOut()
    {
        QList<bool> visibleAtLogout;
        QMetaObject::Connection connection =
            connect(app, &TevaroApp::onLogout, [&]() { visibleAtLogout.append(window->isVisible()); });
        QVERIFY(window->close());
        disconnect(connection);
        QCOMPARE(visibleAtLogout, QList<bool>{true});
        window->show();
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
