#pragma once

#include "util/OverallUtil.h"

#include <json/json.h>

#include <QString>
#include <QStringList>

// Worker of the login screen: sends user name and password to the device,
// evaluates the answer (token and rights) and reports the outcome. It also
// performs the logout whenever the application stops its communication.
// Lives in the GUI thread.
class UserLoginUtil : public OverallUtil
{
    Q_OBJECT

public:
    explicit UserLoginUtil(QObject* parent = nullptr);
    ~UserLoginUtil() override;

    // Sends the login; user is trimmed in place. The outcome arrives through
    // updateLogin; a login while the application ends a session is refused.
    void login(QString& user, QString password);
    // Gives up a login whose answer has not come: a late answer is ignored.
    void cancelLogin();
    // Starts the poll and receive threads of the application.
    static void startCommunication();
    void init();

signals:
    void updateLogin(bool& ok);
    void autoLoggedOut(QString text);
    // The device ended the session with these writes left behind (TevaroApp::valuesNotWritten).
    void valuesNotWritten(QStringList notWritten, QStringList notConfirmed);

public slots:
    void setLogin(Json::Value& reply);
    void logout();

private:
    void connectLoginAnswer();
    void disconnectLoginAnswer();
};
