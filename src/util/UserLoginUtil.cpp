#include "util/UserLoginUtil.h"

#include "util/AppContext.h"
#include "util/JSONUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"
#include "view/MainWindow.h"

#include <QMetaType>
#include <QtDebug>

namespace {

const int LOGIN_PAGE = 0;

// Signals and slots carrying the login answer name its type by this text.
void registerAnswerType()
{
    qRegisterMetaType<Json::Value>("Json::Value&");
}

} // namespace

UserLoginUtil::UserLoginUtil(QObject* parent)
    : OverallUtil(parent)
{
    AppContext* context = AppContext::get();
    if (TevaroApp* application = context->getApp()) {
        connect(application, SIGNAL(onLogout()), this, SLOT(logout()));
        connect(application, SIGNAL(valuesNotWritten(QStringList,QStringList)), this,
                SIGNAL(valuesNotWritten(QStringList,QStringList)));
    } else {
        qWarning().noquote() << "Login worker created without application: logout is not followed.";
    }
    AppContext::release();
}

UserLoginUtil::~UserLoginUtil() = default;

void UserLoginUtil::login(QString& user, QString password)
{
    if (!jsonUtil || !userRoleUtil) {
        qCritical().noquote() << "Login impossible: the device link does not exist.";
        bool ok = false;
        emit updateLogin(ok);
        return;
    }
    if (app && app->isStopping()) {
        // The ended session's logout is still under way; a login now would
        // start a session the closing window leaves running.
        qWarning().noquote() << "Login refused: the last session is still being ended.";
        bool ok = false;
        emit updateLogin(ok);
        return;
    }
    connectLoginAnswer();

    user = UserRoleUtil::trimUserName(user);
    userRoleUtil->setUserName(user);

    Json::Value loginData(Json::objectValue);
    const QByteArray userText = user.toUtf8();
    const QByteArray passwordText = password.toUtf8();
    loginData["USER"] = Json::Value(userText.constData(), userText.constData() + userText.size());
    loginData["PASS"] = Json::Value(passwordText.constData(), passwordText.constData() + passwordText.size());
    jsonUtil->login(loginData);
}

void UserLoginUtil::cancelLogin()
{
    disconnectLoginAnswer();
    if (jsonUtil)
        jsonUtil->setToken(QString());
    if (userRoleUtil)
        userRoleUtil->reset();
}

void UserLoginUtil::setLogin(Json::Value& reply)
{
    disconnectLoginAnswer();

    bool ok = false;
    QString token;
    userRoleUtil->checkAndSetLogin(reply, ok, token);
    if (ok) {
        jsonUtil->setToken(token);
    } else {
        jsonUtil->setToken(QString());
        userRoleUtil->reset();
        qInfo().noquote() << "Login failed: the answer carries no valid token.";
    }
    emit updateLogin(ok);
}

void UserLoginUtil::logout()
{
    if (userRoleUtil)
        userRoleUtil->reset();
    // Without a token there is no session to end (e.g. closing on the login page).
    if (jsonUtil && !jsonUtil->getToken().isEmpty())
        jsonUtil->logout();

    AppContext* context = AppContext::get();
    if (MainWindow* window = context->getMainWindow())
        window->setPage(LOGIN_PAGE);
    AppContext::release();
}

void UserLoginUtil::startCommunication()
{
    AppContext* context = AppContext::get();
    if (TevaroApp* application = context->getApp())
        application->start();
    else
        qCritical().noquote() << "Communication cannot start: no application object.";
    AppContext::release();
}

void UserLoginUtil::init()
{
}

void UserLoginUtil::connectLoginAnswer()
{
    registerAnswerType();
    // Unique: a second login while one is pending must not be answered twice.
    connect(jsonUtil, SIGNAL(loginAvailable(Json::Value&)), this, SLOT(setLogin(Json::Value&)),
            Qt::UniqueConnection);
}

void UserLoginUtil::disconnectLoginAnswer()
{
    if (!jsonUtil)
        return;
    registerAnswerType();
    disconnect(jsonUtil, SIGNAL(loginAvailable(Json::Value&)), this, SLOT(setLogin(Json::Value&)));
}
