#include "view/UserLogin.h"
#include "ui_UserLogin.h"

#include "util/AppContext.h"
#include "util/Language.h"
#include "util/OwnMessageId.h"
#include "util/UserLoginUtil.h"
#include "view/MainWindow.h"
#include "view/MessageDialog.h"
#include "widgets/TevaroResources.h"

#include <QAbstractItemView>
#include <QIcon>
#include <QKeyEvent>
#include <QPalette>
#include <QTimer>
#include <QtDebug>

namespace {

const int HOME_PAGE = 1;
const int NETWORK_PAGE = 3;

// Longer than the device link's own reply time-out (60 s), so the link's
// answer normally comes first.
const int DEFAULT_LOGIN_TIMEOUT_MS = 65000;

const char* const MAKER_ADDRESS = "https://www.example.com/";

const int TEXT_LOGIN_RUNNING = 907;
const int TEXT_LOGIN_FAILED = 908;
const int TEXT_AUTO_LOGOUT = 964;
const int TEXT_VALUES_NOT_WRITTEN = 1640;
const int TEXT_VALUES_NOT_CONFIRMED = 1650;

MainWindow* contextMainWindow()
{
    AppContext* context = AppContext::get();
    MainWindow* window = context->getMainWindow();
    AppContext::release();
    return window;
}

} // namespace

UserLogin::UserLogin(QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::UserLogin),
      util(nullptr),
      languageApplied(false),
      loginPending(false),
      loginTimer(new QTimer(this))
{
    ensureTevaroResources();
    ui->setupUi(this);
    util = new UserLoginUtil();
    resetLoginHint(QString());

    connect(ui->btnUserLoginConfirm, SIGNAL(clicked()), this, SLOT(login()));
    connect(ui->btnUserLoginConfig, SIGNAL(clicked()), this, SLOT(openConfig()));
    connect(ui->leUserLoginName, SIGNAL(textEdited(QString)), this, SLOT(resetLoginHint(QString)));
    connect(ui->leUserLoginPassword, SIGNAL(textEdited(QString)), this, SLOT(resetLoginHint(QString)));
    connect(ui->cbxUserLoginLanguage, SIGNAL(activated(int)), this, SLOT(changeOfLanguage(int)));
    connect(util, SIGNAL(autoLoggedOut(QString)), this, SLOT(showAutoLogout(QString)));
    connect(util, SIGNAL(valuesNotWritten(QStringList,QStringList)), this,
            SLOT(showValuesNotWritten(QStringList,QStringList)));

    initLanguageTexts();

    const QString address = QString::fromLatin1(MAKER_ADDRESS);
    ui->lblUserLoginFooterLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    ui->lblUserLoginFooterLink->setOpenExternalLinks(true);
    ui->lblUserLoginFooterLink->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(address));
    ui->btnUserLoginBanner->setEnabled(false);
    ui->btnUserLoginConfig->setFocusPolicy(Qt::NoFocus);
    // Tab leads from the name to the password; Return there logs in.
    setTabOrder(ui->leUserLoginName, ui->leUserLoginPassword);
    setTabOrder(ui->leUserLoginPassword, ui->btnUserLoginConfirm);

    loginTimer->setSingleShot(true);
    loginTimer->setInterval(DEFAULT_LOGIN_TIMEOUT_MS);
    connect(loginTimer, SIGNAL(timeout()), this, SLOT(loginTimedOut()));

    language->refreshLanguages();
    fillLanguageSelection();
    applyCurrentLanguage();
}

UserLogin::~UserLogin()
{
    delete ui;
    delete util;
}

void UserLogin::init()
{
    util->init();
}

void UserLogin::setLoginTimeout(int ms)
{
    loginTimer->setInterval(ms);
}

void UserLogin::login()
{
    // Return held down or pressed twice must not send a second login.
    if (loginPending)
        return;
    loginPending = true;

    connect(util, SIGNAL(updateLogin(bool&)), this, SLOT(setLogin(bool&)));
    setInputsEnabled(false);
    setLoginHint(language->getText(TEXT_LOGIN_RUNNING, QStringLiteral("Anmeldung wird durchgeführt")), Qt::black);
    loginTimer->start();

    QString user = ui->leUserLoginName->text();
    util->login(user, ui->leUserLoginPassword->text());
}

void UserLogin::resetLoginHint(QString text)
{
    Q_UNUSED(text)
    ui->lblUserLoginInfo->setText(QString());
}

void UserLogin::openConfig()
{
    if (MainWindow* window = contextMainWindow())
        window->setPage(NETWORK_PAGE);
    else
        qWarning().noquote() << "Network settings cannot be shown: no main window.";
}

void UserLogin::setLogin(bool& ok)
{
    disconnect(util, SIGNAL(updateLogin(bool&)), this, SLOT(setLogin(bool&)));
    finishLogin(ok);
}

void UserLogin::loginTimedOut()
{
    if (!loginPending)
        return;
    qWarning().noquote() << "No answer to the login within" << loginTimer->interval() / 1000 << "s; login given up.";
    disconnect(util, SIGNAL(updateLogin(bool&)), this, SLOT(setLogin(bool&)));
    util->cancelLogin();
    finishLogin(false);
}

void UserLogin::finishLogin(bool ok)
{
    loginTimer->stop();
    loginPending = false;

    if (ok) {
        UserLoginUtil::startCommunication();
        if (MainWindow* window = contextMainWindow()) {
            window->setPage(HOME_PAGE);
            window->setDefault();
        } else {
            qWarning().noquote() << "Logged in, but there is no main window to show the home page.";
        }
        setLoginHint(QString(), Qt::black);
    } else {
        setLoginHint(language->getText(TEXT_LOGIN_FAILED, QStringLiteral("Anmeldung konnte nicht durchgeführt werden")),
                     Qt::red);
    }
    ui->leUserLoginPassword->clear();
    setInputsEnabled(true);
    // Disabling the inputs took the keyboard away: after a refusal the user
    // types the password again.
    if (!ok && isVisible())
        ui->leUserLoginPassword->setFocus(Qt::OtherFocusReason);
}

void UserLogin::changeOfLanguage(int index)
{
    Q_UNUSED(index)
    const QVariant data = ui->cbxUserLoginLanguage->currentData(Qt::UserRole);
    if (!data.isValid())
        return;   // no language in the list
    // The user's own choice: selected and stored.
    language->update(data.toInt(), translationRoot());
}

void UserLogin::applyCurrentLanguage()
{
    // No choice of the user's: nothing is stored.
    language->update(translationRoot());
}

QWidget* UserLogin::translationRoot()
{
    QWidget* root = OverallView::getMainWindow();
    // Standing alone (no main window yet), the screen translates itself.
    return root ? root : window();
}

void UserLogin::showAutoLogout(QString text)
{
    Q_UNUSED(text)
    showNotice(language->getText(TEXT_AUTO_LOGOUT, QStringLiteral("Benutzer wurde automatisch vom System abgemeldet")),
               0, QStringList());
}

void UserLogin::showValuesNotWritten(QStringList notWritten, QStringList notConfirmed)
{
    // Each group only when it has entries; the technician enters the first
    // anew and checks the second on the device.
    QStringList groups;
    if (!notWritten.isEmpty())
        groups << language->getText(TEXT_VALUES_NOT_WRITTEN,
                                    QStringLiteral("Das Gerät hat die Sitzung beendet. Diese Werte wurden "
                                                   "nicht geschrieben:\n%1"))
                      .arg(notWritten.join(QLatin1Char('\n')));
    if (!notConfirmed.isEmpty())
        groups << language->getText(TEXT_VALUES_NOT_CONFIRMED,
                                    QStringLiteral("Das Gerät hat diese Werte nicht bestätigt; ob sie übernommen "
                                                   "wurden, ist nicht bekannt:\n%1"))
                      .arg(notConfirmed.join(QLatin1Char('\n')));
    if (groups.isEmpty())
        return;
    // An empty caption: the button says the language file's "Ok".
    showNotice(groups.join(QStringLiteral("\n\n")), 1, QStringList{QString()});
}

void UserLogin::showNotice(const QString& text, int icon, const QStringList& captions)
{
    MessageDialog* dialog = OverallView::getMessageDialog();
    if (!dialog) {
        qWarning().noquote() << "No message dialog to show this notice:" << text;
        return;
    }
    qint64 mid = 0;
    qint64 muid = 0;
    OwnMessageId::next(mid, muid);
    dialog->showDialog(mid, muid, text, icon, captions);
}

bool UserLogin::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            login();
    }
    return QWidget::event(event);
}

void UserLogin::showEvent(QShowEvent* event)
{
    if (!languageApplied) {
        languageApplied = true;
        applyCurrentLanguage();
    }
    QWidget::showEvent(event);
    // Typing right after the page shows goes into the user name.
    ui->leUserLoginName->setFocus(Qt::OtherFocusReason);
}

void UserLogin::setInputsEnabled(bool enabled)
{
    ui->leUserLoginName->setEnabled(enabled);
    ui->leUserLoginPassword->setEnabled(enabled);
    ui->btnUserLoginConfig->setEnabled(enabled);
    ui->btnUserLoginConfirm->setEnabled(enabled);
    ui->cbxUserLoginLanguage->setEnabled(enabled);
}

void UserLogin::setLoginHint(const QString& text, const QColor& colour)
{
    ui->lblUserLoginInfo->setText(text);
    QPalette palette;
    palette.setBrush(QPalette::All, ui->lblUserLoginInfo->foregroundRole(), QBrush(colour, Qt::SolidPattern));
    ui->lblUserLoginInfo->setPalette(palette);
}

void UserLogin::initLanguageTexts()
{
    setTranslatable(ui->btnUserLoginConfirm, 849, QStringLiteral("Anmelden"));
    setTranslatable(ui->btnUserLoginConfig, 859, QStringLiteral("Netzwerk-Einstellungen"));
    setTranslatable(ui->wgtUserLoginFormHeader, 901, QStringLiteral("Login"));
    setTranslatable(ui->leUserLoginName, 902, QStringLiteral("Benutzername"));
    setTranslatable(ui->leUserLoginPassword, 630, QStringLiteral("Passwort"));

    // The built-in texts stay when no language file can be read.
    ui->btnUserLoginConfirm->setText(QStringLiteral("Anmelden"));
    ui->btnUserLoginConfig->setText(QStringLiteral("Netzwerk-Einstellungen"));
    ui->wgtUserLoginFormHeader->setText(QStringLiteral("Login"));
    ui->leUserLoginName->setPlaceholderText(QStringLiteral("Benutzername"));
    ui->leUserLoginPassword->setPlaceholderText(QStringLiteral("Passwort"));
}

void UserLogin::fillLanguageSelection()
{
    ZComboBox* box = ui->cbxUserLoginLanguage;
    box->clear();
    const QList<QPair<int, int>> languages = language->getOrderedIndexes();
    for (const QPair<int, int>& entry : languages) {
        const QString iconPath = language->getLanguageIcon(entry.first);
        const QIcon icon = iconPath.isEmpty() ? QIcon() : QIcon(iconPath);
        box->addItem(icon, language->getLanguageTitle(entry.first), QVariant(entry.first));
    }

    int current = -1;
    if (language->findLanguage(language->getCurrentKey(), current)) {
        const int entry = box->findData(QVariant(current), Qt::UserRole, Qt::MatchExactly);
        if (entry >= 0) {
            box->setCurrentIndex(entry);
            applyCurrentLanguage();
        }
    }

    // The popup list takes the box's own background.
    const QColor colour = box->palette().brush(QPalette::Active, box->backgroundRole()).color();
    box->view()->setStyleSheet(QStringLiteral("QAbstractItemView{background-color:rgb(%1,%2,%3);}")
                                   .arg(colour.red())
                                   .arg(colour.green())
                                   .arg(colour.blue()));
    box->view()->updateGeometry();
}
