#pragma once

#include "view/OverallView.h"

#include <QWidget>

// The page "Home" after a login. Its screen comes later; what the frame
// relies on is here: the reset after a login and the log-out.
class Home : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit Home(QWidget* parent = nullptr);
    ~Home() override;

public slots:
    // Called after a successful login.
    void setDefault();
    // Ends the session: TevaroApp::stop(), which leads back to the login page.
    void logout();
};
