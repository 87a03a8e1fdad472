#pragma once

#include "view/OverallView.h"

#include <QWidget>

class DataMain;
class HomeUtil;
class QTimer;
class ZAnimatedButton;

namespace Ui {
class Home;
}

// The page "Home" a user lands on after a login: large buttons to the parts
// of the measurement screen, to user management and to log out, a clock and
// the ring-buffer state on the header's logger button. User management is
// enabled only for a user with full rights on "$.USMG.AUT".
class Home : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit Home(QWidget* parent = nullptr);
    ~Home() override;

public slots:
    void updateTime();
    void clickLogger();
    void clickDisplay();
    void clickSensor();
    void clickSettings();
    // Ends the session: TevaroApp::stop(), which leads back to the login page.
    void logout();
    // 1 still logger picture, 2 ring buffer inactive, 3 active (animated); others change nothing.
    void setRingBuffer(int state);
    void updateRingBuffer();
    void updateUserManagement();
    // After a login: ring state 1, user management off until the right is known.
    void setDefault();
    void clickUserManagement();
    void setUserManagementEnable(bool enabled);

private:
    // Shows the measurement screen and returns it; null when there is none.
    DataMain* showDataMain();

    Ui::Home* ui;
    DataMain* dataMain;
    QTimer* clockTimer;
    HomeUtil* util;
    ZAnimatedButton* ringIcon;
};
