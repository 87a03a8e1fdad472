// User management end to end on the simulator: the page, password states, deleting, logout, the list
// shifting under an action, round trips, secrets. The telegrams' form: tst_usermanagementutil.
#include "../common/LocalTimeZone.h"
#include "../common/LogCapture.h"
#include "Screenshot.h"
#include "ScreenSession.h"
#include "TableTestSupport.h"

#include "util/UserManagementUtil.h"
#include "view/MessageDialog.h"
#include "view/StatusBar.h"
#include "view/TableObject.h"
#include "view/UserManagement.h"
#include "view/UserManagementEditDialog.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZComboBox.h"

#include <QApplication>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {

// A password that must never be seen; its distinctive part is searched for.
const QString CANARY_PART = QStringLiteral("Kanarie7f3q");
const QString CANARY = CANARY_PART + QStringLiteral("-\"x\\");
const int TRASH = UserManagementUtil::TRASH_COLUMN;

} // namespace

class TestUserManagement : public QObject
{
    Q_OBJECT

    std::unique_ptr<LogCapture> logs;   // goes last, after the session
    std::unique_ptr<ScreenSession> session;
    QStringList statusTexts;

    UserManagement* page() { return session->window->findChild<UserManagement*>(); }
    TableObject* table() { return page()->getTable(); }
    MessageDialog* messages() { return session->window->messageDialog(); }
    // A part of the open edit dialog; null while none is shown.
    template <typename T = UserManagementEditDialog>
    T* dialog(const char* name = nullptr)
    {
        for (auto* open : session->window->findChildren<UserManagementEditDialog*>())
            if (open->isVisible())
                return name ? open->findChild<T*>(QLatin1String(name)) : qobject_cast<T*>(open);
        return nullptr;
    }
    QLineEdit* password() { return dialog<QLineEdit>("edtUserManagementAddPassword"); }
    QTextEdit* hint() { return dialog<QTextEdit>("edtUserManagementAddHint"); }
    ZCheckButton* hideSwitch() { return dialog<ZCheckButton>("btnUserManagementAddPassword"); }
    QPushButton* saveButton() { return dialog<QPushButton>("btnUserManagementAdd"); }
    QString cell(const QString& user, int column) { return tabletest::itemText(table(), rowOf(user), column); }
    QStringList names() { return tabletest::columnTexts(table(), 0); }
    int rowOf(const QString& user) { return names().indexOf(user); }
    QVector<Json::Value> userElements(const char* list) { return session->sentElements(QStringLiteral("user"), list); }
    Json::Value deviceUser(const QString& user)
    {
        return session->deviceValue(QStringLiteral("$.USMG.USLI[?(@.NAME==\"%1\")]").arg(user));
    }
    bool deviceTakes(const QString& user, const QString& secret) { return !session->simulator.login(user, secret).isEmpty(); }

    void click(QWidget* widget)
    {
        QVERIFY(widget && widget->isVisible());
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    // A real click on a table cell (the trash picture, or the cell's text), once a table rebuilt a moment
    // ago has placed its cell widgets.
    void clickCell(const QString& user, int column)
    {
        const auto place = [&] { return table()->visualRect(table()->model()->index(rowOf(user), column)); };
        const auto widget = [&] { return table()->cellWidget(rowOf(user), column); };
        QTRY_VERIFY2(place().isValid() && (!widget() || place().contains(widget()->geometry().center())),
                     qPrintable(user));
        if (widget())
            click(widget());
        else
            QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, place().center());
    }
    void openEditor(const QString& user, int column = 0)
    {
        clickCell(user, column);
        QTRY_VERIFY(dialog());
    }
    void typeHintAndSave(const QString& text)
    {
        hint()->selectAll();
        QTest::keyClicks(hint(), text);
        click(saveButton());
    }
    void pressMessageButton(int index)
    {
        QTRY_VERIFY(messages()->isVisible());
        click(messages()->findChild<QPushButton*>(QStringLiteral("btnMessageDialog%1").arg(index)));
    }
    void openPage()
    {
        if (session->window->isCurrentPage(MainWindow::USER_MANAGEMENT))
            return;
        session->window->setPage(MainWindow::HOME);
        QTRY_VERIFY(session->find<QToolButton>(QStringLiteral("tbtnHomeUserManagement"))->isEnabled());
        QVERIFY(session->click(QStringLiteral("tbtnHomeUserManagement")));
        QTRY_VERIFY(rowOf(QStringLiteral("admin")) >= 0);
    }
    // Deleted by a second client logged in as admin, as another technician would.
    void otherClientDeletes(const QString& user)
    {
        const QString token = session->simulator.login(QStringLiteral("admin"), QStringLiteral("admin"));
        QCOMPARE(session->simulator.post(QStringLiteral("user"), token,
                                         SimulatorProcess::deleteUserTelegram(deviceUser(user)["ID"].asInt64())),
                 200);
        QTRY_COMPARE(rowOf(user), -1);
        session->simulator.logout(token);
    }
    // Picture, Qt check state and echo mode of the hide switch tell the same.
    bool switchAgrees(bool hidden)
    {
        const auto image = [](const QIcon& icon) { return icon.pixmap(26, 26).toImage().convertToFormat(QImage::Format_ARGB32); };
        const QIcon expected(QStringLiteral(":/pic/icon/%1checked_checkbox.png").arg(hidden ? "" : "un"));
        return hideSwitch()->getButtonCheckState() == (hidden ? ZCheckButton::Checked : ZCheckButton::Unchecked)
               && hideSwitch()->isChecked() == hidden && image(hideSwitch()->icon()) == image(expected)
               && password()->echoMode() == (hidden ? QLineEdit::Password : QLineEdit::Normal);
    }

private slots:
    void initTestCase()
    {
        logs.reset(new LogCapture());
        session.reset(new ScreenSession());
        QVERIFY(session->start());
        QApplication::setActiveWindow(session->window);
        QVERIFY(QTest::qWaitForWindowActive(session->window));
        connect(session->window->statusBarObject(), &StatusBar::showMessage, this,
                [this](QString text, Severity, int) { statusTexts << text; });
        QVERIFY(session->login(QStringLiteral("admin"), QStringLiteral("admin")));
    }

    void pageListsTheUsers()
    {
        openPage();
        QCOMPARE(names(), QStringList({"admin", "service", "bediener", "praktikant", "werk"}));
        QTRY_COMPARE(cell("service", 1), QStringLiteral("Service"));   // the roles may come after the users
        QCOMPARE(cell("service", 2), QStringLiteral("01.03.2024 / 11:15:00"));   // Europe/Berlin
        QVERIFY(grabScreenshot(session->window, QStringLiteral("users_page.png")));

        // The add button's column fits its text in each language; after a login the table is empty until shown.
        QPushButton* add = page()->getAddButton();
        const auto fitsAdd = [&] {
            return table()->columnWidth(TRASH) == qMax(add->minimumSize().width(), add->sizeHint().width());
        };
        QVERIFY(fitsAdd());
        QVERIFY(session->relogin(QStringLiteral("admin"), QStringLiteral("admin"), QStringLiteral("English")));
        QCOMPARE(table()->rowCount(), 0);
        openPage();
        QVERIFY(add->text() == QStringLiteral("Add") && fitsAdd());
        QVERIFY(session->relogin(QStringLiteral("admin"), QStringLiteral("admin"), QStringLiteral("Deutsch")));
    }

    void editDialogKeepsOrReplacesThePassword()
    {
        openPage();
        QVERIFY(session->simulator.clearRequestLog());
        openEditor(QStringLiteral("bediener"));
        QCOMPARE(dialog<ZComboBox>("cmbUserManagementAddRights")->currentText(), QStringLiteral("Bediener"));
        QVERIFY(dialog()->isShowingPlaceholder() && password()->text() == QStringLiteral("***"));
        QVERIFY(!hideSwitch()->isEnabled() && switchAgrees(true));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("user_edit_dialog.png")));

        // Focus in empties the field; leaving it empty brings the stored password back, which is not sent.
        click(password());
        QTRY_VERIFY(password()->hasFocus());
        QVERIFY(password()->text().isEmpty() && !saveButton()->isEnabled() && hideSwitch()->isEnabled());
        click(hint());
        QTRY_VERIFY(!password()->hasFocus());
        QVERIFY(dialog()->isShowingPlaceholder() && !dialog()->isPasswordChanged() && saveButton()->isEnabled());
        typeHintAndSave(QStringLiteral("Schicht C"));
        QTRY_COMPARE(userElements("SET").size(), 1);
        QCOMPARE(userElements("SET").first()["VAL"]["HINT"].asString(), std::string("Schicht C"));
        QVERIFY(!userElements("SET").first()["VAL"].isMember("PW"));

        // A typed "***" is a password like any other; the switch's picture follows whatever sets it. A user
        // deleted meanwhile moves the rows: the change still goes to the dialog's own user only.
        const Json::Value werk = deviceUser(QStringLiteral("werk"));
        openEditor(QStringLiteral("praktikant"), 1);
        click(password());
        QTRY_VERIFY(password()->text().isEmpty());
        QTest::keyClicks(password(), QStringLiteral("***"));
        click(hideSwitch());
        QVERIFY(switchAgrees(false));
        hideSwitch()->setChecked(true);
        QVERIFY(switchAgrees(true));
        otherClientDeletes(QStringLiteral("service"));
        typeHintAndSave(QStringLiteral("Sterne"));   // shows when the device applied the change
        QTRY_COMPARE(deviceUser(QStringLiteral("praktikant"))["HINT"].asString(), std::string("Sterne"));
        QVERIFY(deviceTakes(QStringLiteral("praktikant"), QStringLiteral("***")));
        QVERIFY(deviceUser(QStringLiteral("werk")) == werk && !deviceTakes(QStringLiteral("werk"), QStringLiteral("***")));
    }

    void deleteAsksAndKeepsItsUser()
    {
        openPage();
        QVERIFY(session->simulator.clearRequestLog());
        clickCell(QStringLiteral("admin"), TRASH);
        QTRY_COMPARE(messages()->currentMessage().text, QStringLiteral("Eigenen Benutzer löschen nicht möglich!"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("user_own_refusal.png")));
        pressMessageButton(0);
        clickCell(QStringLiteral("werk"), TRASH);
        QTRY_COMPARE(messages()->currentMessage().text, QStringLiteral("Benutzer wirklich löschen?"));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("user_delete_question.png")));
        pressMessageButton(1);   // Abbrechen
        QTRY_VERIFY(!messages()->isVisible());

        // Another message answered first leaves the question waiting; a user deleted meanwhile moves the
        // rows, yet "Löschen" deletes the user asked about.
        messages()->showDialog(-1000, 1000, QStringLiteral("Andere Meldung"), 0, {QStringLiteral("OK")});
        clickCell(QStringLiteral("praktikant"), TRASH);
        pressMessageButton(0);
        QTRY_COMPARE(messages()->currentMessage().text, QStringLiteral("Benutzer wirklich löschen?"));
        otherClientDeletes(QStringLiteral("bediener"));
        pressMessageButton(0);
        QTRY_COMPARE(names(), QStringList({"admin", "werk"}));
        // The other client's and this one: none for the own user or Abbrechen.
        QCOMPARE(userElements("DEL").size(), 2);
        QCOMPARE(userElements("DEL").last()["VAL"]["ID"], Json::Value(8));
    }

    // The screen alone keeps the own account: it refuses before asking, so the worker's guard is never reached.
    void screenRefusesTheOwnAccount()
    {
        openPage();
        QVERIFY(session->simulator.clearRequestLog());
        const QString workerRefusal = QStringLiteral("not deleted: it is the logged-in user");
        const int workerRefusals = logs->matching(workerRefusal).size();
        clickCell(QStringLiteral("admin"), TRASH);
        QTRY_COMPARE(messages()->currentMessage().text, QStringLiteral("Eigenen Benutzer löschen nicht möglich!"));
        QCOMPARE(page()->getPendingDeleteId(), int(UserManagementUtil::NO_ID));
        pressMessageButton(0);
        QTRY_VERIFY(!messages()->isVisible());
        QVERIFY(session->pollCycles() && userElements("DEL").isEmpty());
        QCOMPARE(logs->matching(workerRefusal).size(), workerRefusals);
        QVERIFY(rowOf(QStringLiteral("admin")) >= 0);
    }

    // The worker alone keeps the own account, called past the screen.
    void workerRefusesTheOwnAccount()
    {
        openPage();
        QVERIFY(session->simulator.clearRequestLog());
        const Json::Value own = deviceUser(QStringLiteral("admin"));
        QVERIFY(own["ID"].isInt() && own["ID"].asInt() >= 0);
        QVERIFY(!page()->getUtil()->deleteUser(own["ID"].asInt()));
        QVERIFY(session->pollCycles() && userElements("DEL").isEmpty());
        QCOMPARE(deviceUser(QStringLiteral("admin")), own);
    }

    void logoutEndsDialogAndQuestion()
    {
        openPage();
        openEditor(QStringLiteral("werk"));
        QPointer<UserManagementEditDialog> open = dialog();
        QVERIFY(session->relogin() && !open);

        openPage();
        QVERIFY(session->simulator.clearRequestLog());
        clickCell(QStringLiteral("werk"), TRASH);
        QTRY_VERIFY(messages()->isVisible());
        QVERIFY(session->logout());
        pressMessageButton(0);   // "Löschen", answered after the session ended
        QVERIFY(session->login(QStringLiteral("admin"), QStringLiteral("admin")));
        openPage();
        QVERIFY(session->pollCycles());   // a delete still queued would have gone out before these
        QVERIFY(rowOf(QStringLiteral("werk")) >= 0 && userElements("DEL").isEmpty());
    }

    // A new user needs a password, and a name no user has: nothing goes to the device otherwise.
    void addRefusesTakenNamesAndMissingPasswords()
    {
        openPage();
        QVERIFY(session->simulator.clearRequestLog());
        click(page()->getAddButton());
        QTRY_VERIFY(dialog());
        QTest::keyClicks(dialog<QLineEdit>("edtUserManagementAddName"), QStringLiteral(" admin "));
        QVERIFY(dialog<ZComboBox>("cmbUserManagementAddRights")->currentIndex() >= 0 && !saveButton()->isEnabled());
        QTest::keyClicks(password(), QStringLiteral("geheim"));
        QVERIFY(saveButton()->isEnabled());
        click(saveButton());
        QTRY_VERIFY(messages()->isVisible());
        QVERIFY(messages()->currentMessage().text.contains(QStringLiteral("Benutzername")) && dialog());
        pressMessageButton(0);
        password()->selectAll();
        QTest::keyClick(password(), Qt::Key_Backspace);
        QVERIFY(password()->text().isEmpty() && !saveButton()->isEnabled());
        click(dialog<QPushButton>("btnUserManagementAddClose"));
        QTRY_VERIFY(!dialog());
        QVERIFY(session->pollCycles() && userElements("SET").isEmpty());
    }

    void roundTripsKeepPasswordsOutOfSight()
    {
        openPage();
        click(page()->getAddButton());
        QTRY_VERIFY(dialog());
        QTest::keyClicks(dialog<QLineEdit>("edtUserManagementAddName"), QStringLiteral(" bob "));
        auto* roles = dialog<ZComboBox>("cmbUserManagementAddRights");
        roles->setCurrentIndex(roles->findText(QStringLiteral("Bediener")));
        QTest::keyClicks(password(), CANARY);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("user_add_dialog.png")));
        click(saveButton());
        QTRY_VERIFY(rowOf(QStringLiteral("bob")) >= 0);
        QCOMPARE(cell(QStringLiteral("bob"), 2), QString());
        // Another client's login shows on this page as bob's last login.
        QVERIFY(deviceTakes(QStringLiteral("bob"), CANARY));
        QTRY_VERIFY(cell(QStringLiteral("bob"), 2).startsWith(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))));
        QVERIFY(session->relogin(QStringLiteral("bob"), CANARY) && session->relogin());

        // A new password replaces the old one.
        openPage();
        openEditor(QStringLiteral("bob"));
        click(password());
        QTest::keyClicks(password(), QStringLiteral("neu-") + CANARY_PART);
        typeHintAndSave(QStringLiteral("Nachtschicht"));
        QTRY_COMPARE(deviceUser(QStringLiteral("bob"))["HINT"].asString(), std::string("Nachtschicht"));
        QVERIFY(!deviceTakes(QStringLiteral("bob"), CANARY));
        QVERIFY(deviceTakes(QStringLiteral("bob"), QStringLiteral("neu-") + CANARY_PART));

        // The canary went through the client to the device and nowhere else.
        QVERIFY(!logs->all().contains(CANARY_PART) && !statusTexts.join(QLatin1Char('\n')).contains(CANARY_PART));
        QVERIFY(!session->simulator.logLines().join(QLatin1Char('\n')).contains(CANARY_PART));
        QVERIFY(QString::fromStdString(session->simulator.requestLog().toStyledString()).contains(CANARY_PART));
    }
};

int main(int argc, char* argv[])
{
    testzone::useZone(testzone::OFFSET_ZONE);   // the last-login column shows local time
    QApplication app(argc, argv);
    TestUserManagement test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_usermanagement.moc"
