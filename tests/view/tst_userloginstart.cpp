// The login page at start-up: the stored language choice is preselected in
// the list and applied to the whole main window before the page is seen.
#include "util/AppContext.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"
#include "view/MainWindow.h"
#include "view/UserLogin.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestUserLoginStart : public QObject
{
    Q_OBJECT

private slots:
    void storedLanguageIsShown_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("listed");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("networkHeadline");

        QTest::newRow("English") << "EN" << "English" << "Log in" << "Password" << "Network settings";
        QTest::newRow("French") << "FR" << QStringLiteral("Français") << "Connexion" << "Mot de passe"
                                << QStringLiteral("Paramètres réseau");
        QTest::newRow("Czech") << "CS" << QStringLiteral("český") << QStringLiteral("Přihlásit") << "Heslo"
                               << QStringLiteral("Nastavení sítě");
        QTest::newRow("German") << "DE" << "Deutsch" << "Anmelden" << "Passwort" << "Netzwerk-Einstellungen";
        // A key no language file has: the first entry of the list, German.
        QTest::newRow("unknown key") << "XX" << "Deutsch" << "Anmelden" << "Passwort" << "Netzwerk-Einstellungen";
    }

    void storedLanguageIsShown()
    {
        QFETCH(QString, stored);
        QFETCH(QString, listed);
        QFETCH(QString, confirm);
        QFETCH(QString, password);
        QFETCH(QString, networkHeadline);

        SettingsUtil::setValue(QStringLiteral("Config/Language/Selection"), stored);
        TevaroApp app;
        AppContext* context = AppContext::get();
        MainWindow* window = context->getMainWindow();
        AppContext::release();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));

        UserLogin* page = window->findChild<UserLogin*>();
        QVERIFY(page);
        QCOMPARE(page->findChild<QComboBox*>(QStringLiteral("cbxUserLoginLanguage"))->currentText(), listed);
        QCOMPARE(page->findChild<QPushButton*>(QStringLiteral("btnUserLoginConfirm"))->text(), confirm);
        QCOMPARE(page->findChild<QLineEdit*>(QStringLiteral("leUserLoginPassword"))->placeholderText(), password);
        QLabel* headline = window->findChild<QLabel*>(QStringLiteral("lblNetworkHeadline"));
        QVERIFY(headline);
        QCOMPARE(headline->text(), networkHeadline);
    }
};

QTEST_MAIN(TestUserLoginStart)
#include "tst_userloginstart.moc"
