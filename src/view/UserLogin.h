#pragma once

#include "view/OverallView.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>

class QEvent;
class QShowEvent;
class QTimer;
class UserLoginUtil;

namespace Ui {
class UserLogin;
}

// Page "Login" of the main window: user name and password, the language list
// and the way to the network settings. A successful login starts the device
// communication and shows the home page.
class UserLogin : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit UserLogin(QWidget* parent = nullptr);
    ~UserLogin() override;

    // Called once by the main window after it was shown.
    void init();
    // How long a login may wait for its answer before it counts as failed.
    void setLoginTimeout(int ms);

public slots:
    void login();
    void resetLoginHint(QString text);
    void openConfig();
    void setLogin(bool& ok);
    void changeOfLanguage(int index);
    void showAutoLogout(QString text);
    // Names, in the message dialog, the values the device surely did not get before it ended the
    // session, and those it may have got without confirming them.
    void showValuesNotWritten(QStringList notWritten, QStringList notConfirmed);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void loginTimedOut();

private:
    void setInputsEnabled(bool enabled);
    void setLoginHint(const QString& text, const QColor& colour);
    void initLanguageTexts();
    void fillLanguageSelection();
    void applyCurrentLanguage();
    QWidget* translationRoot();
    void finishLogin(bool ok);
    // A message of the program's own in the message dialog.
    void showNotice(const QString& text, int icon, const QStringList& captions);

    Ui::UserLogin* ui;
    UserLoginUtil* util;
    bool languageApplied;
    bool loginPending;     // a login was sent and its answer has not come
    QTimer* loginTimer;    // ends a login whose answer never comes
};
