// User management end to end: the page on the simulator's users, the edit
// dialog's password and role handling, the delete question, logout while a
// dialog or question is open, actions that keep their user while the list
// shifts, round trips through the device, and passwords that never show up.
#include "../common/LogCapture.h"
#include "Screenshot.h"
#include "ScreenSession.h"

#include "util/FileUtil.h"
#include "util/UserManagementUtil.h"
#include "view/MessageDialog.h"
#include "view/StatusBar.h"
#include "view/TableObject.h"
#include "view/UserManagement.h"
#include "view/UserManagementEditDialog.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZComboBox.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>
#include <QtTest>

namespace {

// A password that must never be seen; its distinctive part is searched for.
const char* const CANARY_PART = "Kanarie7f3q";
const QString CANARY = QStringLiteral("Kanarie7f3q-\"x\\");
const QString CANARY_NEW = QStringLiteral("neu-Kanarie7f3q");

QImage imageOf(const QIcon& icon)
{
    return icon.pixmap(26, 26).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestUserManagement : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LogCapture> logs;
    std::unique_ptr<ScreenSession> session;
    QStringList statusTexts;

    UserManagement* page() { return session->window->findChild<UserManagement*>(); }
    TableObject* table() { return page()->getTable(); }
    MessageDialog* messages() { return session->window->messageDialog(); }

    // The open edit dialog; null when none is shown.
    UserManagementEditDialog* dialog()
    {
        for (UserManagementEditDialog* open : session->window->findChildren<UserManagementEditDialog*>())
            if (open->isVisible())
                return open;
        return nullptr;
    }
    template <typename T>
    T* part(const char* name)
    {
        return dialog() ? dialog()->findChild<T*>(QLatin1String(name)) : nullptr;
    }
    QLineEdit* password() { return part<QLineEdit>("edtUserManagementAddPassword"); }
    QLineEdit* name() { return part<QLineEdit>("edtUserManagementAddName"); }
    QTextEdit* hint() { return part<QTextEdit>("edtUserManagementAddHint"); }
    ZComboBox* roles() { return part<ZComboBox>("cmbUserManagementAddRights"); }
    ZCheckButton* hideSwitch() { return part<ZCheckButton>("btnUserManagementAddPassword"); }
    QPushButton* saveButton() { return part<QPushButton>("btnUserManagementAdd"); }

    QString cell(int row, int column)
    {
        QTableWidgetItem* item = table()->item(row, column);
        return item ? item->text() : QString();
    }
    QStringList names()
    {
        QStringList list;
        for (int row = 0; row < table()->rowCount(); ++row)
            list << cell(row, 0);
        return list;
    }
    int rowOf(const QString& user) { return names().indexOf(user); }

    void click(QWidget* widget)
    {
        QVERIFY(widget && widget->isVisible());
        QTest::mouseClick(widget, Qt::LeftButton);
    }
    // The user's cell is shown where it belongs: a table rebuilt a moment ago
    // places its cell widgets once it is laid out.
    bool cellPlaced(const QString& user, int column)
    {
        const QRect place = table()->visualRect(table()->model()->index(rowOf(user), column));
        const QWidget* widget = table()->cellWidget(rowOf(user), column);
        return place.isValid() && (!widget || (widget->isVisible() && place.contains(widget->geometry().center())));
    }
    // A real click on a table cell: the trash picture, or the text of the cell.
    void clickCell(const QString& user, int column)
    {
        QTRY_VERIFY2(cellPlaced(user, column), qPrintable(user));
        const int row = rowOf(user);
        if (QWidget* widget = table()->cellWidget(row, column))
            click(widget);
        else
            QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier,
                              table()->visualRect(table()->model()->index(row, column)).center());
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
        QVERIFY(session->window->isCurrentPage(MainWindow::USER_MANAGEMENT));
        QTRY_VERIFY(rowOf(QStringLiteral("admin")) >= 0);
    }
    void relogin(const QString& user, const QString& secret)
    {
        QVERIFY(session->logout());
        QVERIFY(session->login(user, secret));
    }

    QVector<Json::Value> userElements(const char* list)
    {
        return session->sentElements(QStringLiteral("user"), list);
    }
    // The simulator's user with that name, null when there is none.
    Json::Value deviceUser(const QString& user)
    {
        const Json::Value found = session->simulator.treeValues(
            QStringLiteral("$.USMG.USLI[?(@.NAME==\"%1\")]").arg(user));
        return found.isArray() && found.size() == 1 ? found[0] : Json::Value();
    }
    // A second client logged in as admin, as another technician would be.
    void otherClientDeletes(const QString& user)
    {
        const QString token = session->simulator.login(QStringLiteral("admin"), QStringLiteral("admin"));
        QVERIFY(!token.isEmpty());
        Json::Value telegram = SimulatorProcess::delTelegram(QStringLiteral("$.USMG.USLI"));
        telegram["INST"]["DEL"]["VAL"][0]["VAL"]["ID"] = deviceUser(user)["ID"];
        QCOMPARE(session->simulator.post(QStringLiteral("user"), token, telegram), 200);
        QTRY_COMPARE(rowOf(user), -1);
        session->simulator.logout(token);
    }
    void setDeviceRoles(const char* roleList)
    {
        Json::Value list;
        QVERIFY(Json::Reader().parse(roleList, list));
        Json::Value telegram = SimulatorProcess::setTelegram(QStringLiteral("$.USMG.USRO"), list);
        telegram["INST"]["DEL"] = SimulatorProcess::delTelegram(QStringLiteral("$.USMG.USRO"))["INST"]["DEL"];
        QVERIFY(session->simulator.injectTelegram(telegram) >= 0);
    }
    QStringList roleTexts()
    {
        QStringList texts;
        for (int i = 0; i < roles()->count(); ++i)
            texts << roles()->itemText(i);
        return texts;
    }
    // Picture, Qt check state and echo mode of the hide switch tell the same.
    bool switchAgrees(bool hidden)
    {
        const ZCheckButton::CheckState state = hidden ? ZCheckButton::Checked : ZCheckButton::Unchecked;
        const QImage expected = imageOf(QIcon(hidden ? QStringLiteral(":/pic/icon/checked_checkbox.png")
                                                     : QStringLiteral(":/pic/icon/unchecked_checkbox.png")));
        return hideSwitch()->getButtonCheckState() == state && hideSwitch()->isChecked() == hidden
               && imageOf(hideSwitch()->icon()) == expected
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

    void cleanupTestCase()
    {
        session.reset();
        logs.reset();
    }

    void pageListsTheUsers()
    {
        openPage();
        QCOMPARE(names(), QStringList({"admin", "service", "bediener", "praktikant", "werk"}));
        const int service = rowOf(QStringLiteral("service"));
        QTRY_COMPARE(cell(service, 1), QStringLiteral("Service"));   // the roles may come after the users
        QCOMPARE(cell(service, 2), QStringLiteral("01.03.2024 / 11:15:00"));   // Europe/Berlin
        QCOMPARE(cell(rowOf(QStringLiteral("praktikant")), 2), QString());        // never logged in
        auto* trash = qobject_cast<QLabel*>(table()->cellWidget(service, UserManagementUtil::TRASH_COLUMN));
        QVERIFY(trash && !trash->pixmap(Qt::ReturnByValue).isNull());

        QStringList header;
        for (const char* label : {"lblUserManagementHeaderName", "lblUserManagementHeaderRole",
                                  "lblUserManagementHeaderLastLogin"})
            header << page()->findChild<QLabel*>(QLatin1String(label))->text();
        header << page()->getAddButton()->text();
        QCOMPARE(header, QStringList({"Benutzer", "Rolle", "Letzte Anmeldung", "Hinzufügen"}));
        QVERIFY(table()->columnWidth(UserManagementUtil::TRASH_COLUMN) >= page()->getAddButton()->sizeHint().width());
        QVERIFY(!session->find<QToolButton>(QStringLiteral("tbtnUserManagementBack"))->icon().isNull());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("users_page.png")));

        QVERIFY(session->click(QStringLiteral("tbtnUserManagementBack")));
        QVERIFY(session->window->isCurrentPage(MainWindow::HOME));
        // After a login the table is empty until the page shows again.
        relogin(QStringLiteral("admin"), QStringLiteral("admin"));
        QCOMPARE(table()->rowCount(), 0);
        openPage();
    }

    void editDialogKeepsOrReplacesThePassword()
    {
        openPage();
        QVERIFY(session->simulator.clearRequestLog());
        clickCell(QStringLiteral("bediener"), 0);
        QTRY_VERIFY(dialog());
        QVERIFY(!name()->isEnabled());
        QCOMPARE(name()->text(), QStringLiteral("bediener"));
        QCOMPARE(hint()->toPlainText(), QStringLiteral("Schicht A"));
        QCOMPARE(roles()->currentText(), QStringLiteral("Bediener"));
        QCOMPARE(roleTexts(), QStringList({"Administrator", "Service", "Bediener", "Werkskundendienst"}));
        QVERIFY(dialog()->isShowingPlaceholder() && password()->text() == QStringLiteral("***"));
        QVERIFY(!hideSwitch()->isEnabled() && switchAgrees(true));
        QVERIFY(saveButton()->isEnabled());
        QVERIFY(grabScreenshot(session->window, QStringLiteral("user_edit_dialog.png")));

        // Focus in empties the field; typing and erasing follow; leaving it empty brings the stored password back.
        click(password());
        QTRY_VERIFY(password()->hasFocus());
        QVERIFY(password()->text().isEmpty() && !saveButton()->isEnabled() && hideSwitch()->isEnabled());
        QTest::keyClicks(password(), QStringLiteral("a"));
        QVERIFY(saveButton()->isEnabled());
        QTest::keyClick(password(), Qt::Key_Backspace);
        QVERIFY(!saveButton()->isEnabled());
        click(hint());
        QTRY_VERIFY(!password()->hasFocus());
        QVERIFY(dialog()->isShowingPlaceholder() && !dialog()->isPasswordChanged());
        QVERIFY(saveButton()->isEnabled() && !hideSwitch()->isEnabled() && switchAgrees(true));
        hint()->selectAll();
        QTest::keyClicks(hint(), QStringLiteral("Schicht C"));
        // A later record of the user, here a changed comment, leaves the typed text alone.
        const QString hintPath = QStringLiteral("$.USMG.USLI[%1].HINT").arg(rowOf(QStringLiteral("bediener")));
        QVERIFY(session->simulator.injectTelegram(SimulatorProcess::setTelegram(hintPath, "vom Gerät")) >= 0);
        QTRY_VERIFY([&] {
            Json::Value value;
            session->json()->getMasterJSONbyPath(hintPath, value, false);
            return value == Json::Value("vom Gerät");
        }());
        QTest::qWait(100);
        QCOMPARE(hint()->toPlainText(), QStringLiteral("Schicht C"));
        click(saveButton());
        QTRY_VERIFY(!dialog());
        QTRY_COMPARE(userElements("SET").size(), 1);
        const Json::Value kept = userElements("SET").first()["VAL"];
        QCOMPARE(kept["ID"].asInt(), 7);
        QCOMPARE(kept["HINT"].asString(), std::string("Schicht C"));
        QVERIFY(!kept.isMember("PW"));

        // A typed "***" is a password like any other; the switch shows it, picture and state together.
        clickCell(QStringLiteral("praktikant"), 1);
        QTRY_VERIFY(dialog());
        click(password());
        QTRY_VERIFY(password()->text().isEmpty());
        QTest::keyClicks(password(), QStringLiteral("***"));
        click(hideSwitch());
        QVERIFY(switchAgrees(false) && password()->hasFocus());
        click(hideSwitch());
        QVERIFY(switchAgrees(true));
        click(hideSwitch());
        click(saveButton());
        QTRY_VERIFY(!dialog());
        QTRY_COMPARE(userElements("SET").size(), 2);
        QCOMPARE(userElements("SET").last()["VAL"]["PW"].asString(), std::string("***"));
        QTRY_VERIFY(!session->simulator.login(QStringLiteral("praktikant"), QStringLiteral("***")).isEmpty());

        // Abbrechen sends nothing.
        clickCell(QStringLiteral("werk"), 2);
        QTRY_VERIFY(dialog());
        click(part<QPushButton>("btnUserManagementAddClose"));
        QTRY_VERIFY(!dialog());
        QTest::qWait(200);
        QCOMPARE(userElements("SET").size(), 2);
    }

    void addDialogNeedsNameRoleAndPassword()
    {
        openPage();
        QVERIFY(session->simulator.clearRequestLog());
        click(page()->getAddButton());
        QTRY_VERIFY(dialog());
        QVERIFY(name()->isEnabled() && password()->text().isEmpty() && !saveButton()->isEnabled());
        QCOMPARE(roles()->currentText(), QStringLiteral("Administrator"));
        QTest::keyClicks(name(), QStringLiteral("   "));
        QTest::keyClicks(password(), QStringLiteral("pw"));
        QVERIFY(!saveButton()->isEnabled());   // blanks are no name
        QTest::keyClicks(name(), QStringLiteral(" admin"));
        QVERIFY(saveButton()->isEnabled());
        click(hideSwitch());
        QVERIFY(switchAgrees(false));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("user_add_dialog.png")));
        click(hideSwitch());

        // A taken name, blanks around it, is refused with the dialog kept open.
        click(saveButton());
        QTRY_VERIFY(messages()->isVisible());
        QCOMPARE(messages()->currentMessage().text, QStringLiteral("Benutzername exisitiert bereits!"));
        QVERIFY(messages()->currentMessage().mid < 0);
        pressMessageButton(0);
        QVERIFY(dialog());
        QTest::keyClick(password(), Qt::Key_Backspace);
        QTest::keyClick(password(), Qt::Key_Backspace);
        QVERIFY(!saveButton()->isEnabled());
        click(part<QPushButton>("btnUserManagementAddClose"));
        QTRY_VERIFY(!dialog());
        QTest::qWait(200);
        QCOMPARE(session->requests(QStringLiteral("user")).size(), 0);
    }

    void rolesLateEmptyOrRefreshed()
    {
        openPage();
        UserManagementUtil* util = page()->getUtil();
        // Made without asking for roles: they come late, and saving waits for them.
        new UserManagementEditDialog(util, UserManagementUtil::NEW_USER, session->window);
        QTRY_VERIFY(dialog());
        QTest::keyClicks(name(), QStringLiteral("dora"));
        QTest::keyClicks(password(), QStringLiteral("pw"));
        QVERIFY(!saveButton()->isEnabled() && roles()->count() == 0);
        util->getUserRoles();
        QVERIFY(saveButton()->isEnabled());
        roles()->setCurrentIndex(roles()->findText(QStringLiteral("Service")));

        // A refreshed list keeps the chosen role by its id, whatever its text.
        setDeviceRoles(R"([{"ID":1,"DESC":{"T":"Administrator"}},{"ID":2,"DESC":{"T":"Wartung"}},
                           {"ID":3,"DESC":{"T":"Bediener"}},{"DESC":{"T":"ohne Nummer"}}])");
        QTRY_COMPARE(roles()->currentText(), QStringLiteral("Wartung"));
        QCOMPARE(roleTexts(), QStringList({"Administrator", "Wartung", "Bediener"}));
        setDeviceRoles("[]");
        QTRY_COMPARE(roles()->count(), 0);
        QVERIFY(!saveButton()->isEnabled());
        click(part<QPushButton>("btnUserManagementAddClose"));
        QTRY_VERIFY(!dialog());

        // Editing a user whose role is not listed preselects none, and saving waits for a choice.
        setDeviceRoles(R"([{"ID":1,"DESC":{"T":"Administrator"}},{"ID":3,"DESC":{"T":"Bediener"}}])");
        QTRY_COMPARE(util->getRoles().size(), 2);
        clickCell(QStringLiteral("werk"), 0);
        QTRY_VERIFY(dialog());
        QCOMPARE(roles()->currentIndex(), -1);
        QVERIFY(!saveButton()->isEnabled());
        roles()->setCurrentIndex(1);
        QVERIFY(saveButton()->isEnabled());
        click(part<QPushButton>("btnUserManagementAddClose"));
        QTRY_VERIFY(!dialog());
        setDeviceRoles(R"([{"ID":1,"DESC":{"T":"Administrator"}},{"ID":2,"DESC":{"T":"Service"}},
                           {"ID":3,"DESC":{"T":"Bediener"}},{"ID":4,"DESC":{"T":"Werkskundendienst"}}])");
        QTRY_COMPARE(util->getRoles().size(), 4);
    }

    void deleteAsksAndSparesTheOwnUser()
    {
        openPage();
        QVERIFY(session->simulator.clearRequestLog());
        clickCell(QStringLiteral("admin"), UserManagementUtil::TRASH_COLUMN);
        QTRY_VERIFY(messages()->isVisible());
        QCOMPARE(messages()->currentMessage().text, QStringLiteral("Eigenen Benutzer löschen nicht möglich!"));
        QCOMPARE(messages()->currentMessage().icon, 1);
        QVERIFY(grabScreenshot(session->window, QStringLiteral("user_own_refusal.png")));
        pressMessageButton(0);

        clickCell(QStringLiteral("service"), UserManagementUtil::TRASH_COLUMN);
        QTRY_VERIFY(messages()->isVisible());
        QCOMPARE(messages()->currentMessage().text, QStringLiteral("Benutzer wirklich löschen?"));
        QCOMPARE(messages()->currentMessage().buttonTexts, QStringList({"Löschen", "Abbrechen"}));
        QVERIFY(grabScreenshot(session->window, QStringLiteral("user_delete_question.png")));
        pressMessageButton(1);
        QTRY_VERIFY(!messages()->isVisible());

        // Another message answered first leaves the question waiting for its own answer.
        messages()->showDialog(-1000, 1000, QStringLiteral("Andere Meldung"), 0, {QStringLiteral("OK")});
        clickCell(QStringLiteral("service"), UserManagementUtil::TRASH_COLUMN);
        pressMessageButton(0);
        QTRY_COMPARE(messages()->currentMessage().text, QStringLiteral("Benutzer wirklich löschen?"));
        QCOMPARE(page()->getPendingDeleteId(), 2);
        pressMessageButton(0);
        QTRY_COMPARE(rowOf(QStringLiteral("service")), -1);
        QCOMPARE(userElements("DEL").size(), 1);
        QCOMPARE(userElements("DEL").first()["VAL"].getMemberNames(), std::vector<std::string>{"ID"});
        QCOMPARE(userElements("DEL").first()["VAL"]["ID"].asInt(), 2);
    }

    void logoutEndsDialogAndQuestion()
    {
        openPage();
        clickCell(QStringLiteral("bediener"), 0);
        QTRY_VERIFY(dialog());
        QPointer<UserManagementEditDialog> open = dialog();
        QVERIFY(session->logout());
        QTRY_VERIFY(!open);
        QVERIFY(session->login(QStringLiteral("admin"), QStringLiteral("admin")));

        openPage();
        QVERIFY(session->simulator.clearRequestLog());
        clickCell(QStringLiteral("bediener"), UserManagementUtil::TRASH_COLUMN);
        QTRY_VERIFY(messages()->isVisible());
        QVERIFY(session->logout());
        pressMessageButton(0);   // "Löschen", answered after the session ended
        QVERIFY(session->login(QStringLiteral("admin"), QStringLiteral("admin")));
        openPage();
        QTest::qWait(300);
        QVERIFY(rowOf(QStringLiteral("bediener")) >= 0);
        QCOMPARE(userElements("DEL").size(), 0);
    }

    void actionsKeepTheirUserWhileTheListShifts()
    {
        openPage();
        const Json::Value praktikant = deviceUser(QStringLiteral("praktikant"));
        clickCell(QStringLiteral("werk"), 0);
        QTRY_VERIFY(dialog());
        otherClientDeletes(QStringLiteral("bediener"));   // above "werk": the rows move up
        hint()->selectAll();
        QTest::keyClicks(hint(), QStringLiteral("Nachtschicht"));
        click(saveButton());
        QTRY_COMPARE(deviceUser(QStringLiteral("werk"))["HINT"].asString(), std::string("Nachtschicht"));
        QCOMPARE(deviceUser(QStringLiteral("werk"))["USRO"]["ID"].asInt(), 4);
        QCOMPARE(deviceUser(QStringLiteral("praktikant")), praktikant);

        clickCell(QStringLiteral("werk"), UserManagementUtil::TRASH_COLUMN);
        QTRY_VERIFY(messages()->isVisible());
        otherClientDeletes(QStringLiteral("praktikant"));
        pressMessageButton(0);
        QTRY_COMPARE(rowOf(QStringLiteral("werk")), -1);
        QCOMPARE(names(), QStringList({"admin"}));
        QVERIFY(!session->simulator.login(QStringLiteral("admin"), QStringLiteral("admin")).isEmpty());
    }

    void roundTripsThroughTheDevice()
    {
        openPage();
        click(page()->getAddButton());
        QTRY_VERIFY(dialog());
        QTest::keyClicks(name(), QStringLiteral("bob"));
        roles()->setCurrentIndex(roles()->findText(QStringLiteral("Bediener")));
        QTest::keyClicks(password(), CANARY);
        click(saveButton());
        QTRY_VERIFY(rowOf(QStringLiteral("bob")) >= 0);
        QCOMPARE(cell(rowOf(QStringLiteral("bob")), 1), QStringLiteral("Bediener"));
        QCOMPARE(cell(rowOf(QStringLiteral("bob")), 2), QString());
        // Another client's login shows on this page as bob's last login.
        QVERIFY(!session->simulator.login(QStringLiteral("bob"), CANARY).isEmpty());
        const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
        QTRY_VERIFY(cell(rowOf(QStringLiteral("bob")), 2).startsWith(today));
        relogin(QStringLiteral("bob"), CANARY);
        relogin(QStringLiteral("admin"), QStringLiteral("admin"));

        // Edited without touching the password: the old one still works.
        openPage();
        clickCell(QStringLiteral("bob"), 0);
        QTRY_VERIFY(dialog());
        QTest::keyClicks(hint(), QStringLiteral("Tagschicht"));
        click(saveButton());
        QTRY_COMPARE(deviceUser(QStringLiteral("bob"))["HINT"].asString(), std::string("Tagschicht"));
        QVERIFY(!session->simulator.login(QStringLiteral("bob"), CANARY).isEmpty());

        // A new password replaces the old one.
        clickCell(QStringLiteral("bob"), 0);
        QTRY_VERIFY(dialog());
        click(password());
        QTest::keyClicks(password(), CANARY_NEW);
        click(saveButton());
        QTRY_VERIFY(!session->simulator.login(QStringLiteral("bob"), CANARY_NEW).isEmpty());
        QVERIFY(session->simulator.login(QStringLiteral("bob"), CANARY).isEmpty());

        // A deleted user can no longer log in.
        clickCell(QStringLiteral("bob"), UserManagementUtil::TRASH_COLUMN);
        pressMessageButton(0);
        QTRY_COMPARE(rowOf(QStringLiteral("bob")), -1);
        QVERIFY(session->simulator.login(QStringLiteral("bob"), CANARY_NEW).isEmpty());
    }

    void passwordsNeverShow()
    {
        // The mirror's dump, written by the F11 + F12 chord.
        QVERIFY(QDir().mkpath(FileUtil::basePath()));
        const QDir folder(FileUtil::basePath());
        const QStringList before = folder.entryList({QStringLiteral("MasterJson_*.json")});
        for (const auto& step : {std::make_pair(QEvent::KeyPress, Qt::Key_F11),
                                 std::make_pair(QEvent::KeyPress, Qt::Key_F12),
                                 std::make_pair(QEvent::KeyRelease, Qt::Key_F12),
                                 std::make_pair(QEvent::KeyRelease, Qt::Key_F11)}) {
            QKeyEvent event(step.first, step.second, Qt::NoModifier);
            QApplication::sendEvent(session->window, &event);
        }
        const QStringList dumps = folder.entryList({QStringLiteral("MasterJson_*.json")});
        QCOMPARE(dumps.size(), before.size() + 1);
        QString dumped;
        for (const QString& file : dumps) {
            QFile dump(folder.filePath(file));
            QVERIFY(dump.open(QIODevice::ReadOnly));
            dumped += QString::fromUtf8(dump.readAll());
        }
        QVERIFY(dumped.contains(QStringLiteral("\"USLI\"")));

        const QString part = QLatin1String(CANARY_PART);
        QVERIFY(!logs->all().contains(part));
        QVERIFY(!statusTexts.join(QLatin1Char('\n')).contains(part));
        QVERIFY(!dumped.contains(part));
        QVERIFY(!session->simulator.logLines().join(QLatin1Char('\n')).contains(part));
        // The simulator did receive it, so the searches above could have found it.
        QVERIFY(QString::fromStdString(session->simulator.requestLog().toStyledString()).contains(part));
    }
};

int main(int argc, char* argv[])
{
    qputenv("TZ", "Europe/Berlin");   // the last-login column shows local time
    QApplication app(argc, argv);
    TestUserManagement test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_usermanagement.moc"
