#pragma once

#include "view/OverallView.h"

#include <QMainWindow>
#include <QMap>
#include <QString>

class MessageDialog;
class StatusBar;
class TevaroApp;
class UserLogin;

namespace Ui {
class MainWindow;
}

// The application's only window: a stack of five pages ("Login", "Home",
// "DataMain", "NetworkConfig", "UserManagement"), the status bar and the one
// message dialog. Handles the Back key and ends the session before it closes;
// while the session ends the window is disabled and a second close is ignored.
class MainWindow : public QMainWindow, public OverallView
{
    Q_OBJECT

public:
    enum Page { LOGIN = 0, HOME = 1, DATA_MAIN = 2, NETWORK_CONFIG = 3, USER_MANAGEMENT = 4 };

    MainWindow(TevaroApp* app, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows page 0 to 4 and returns the page now shown; other values change nothing.
    QWidget* setPage(int page);
    bool isCurrentPage(int page) const;
    UserLogin* getLoginPage();
    // Resets the measurement, home and user pages after a successful login.
    void setDefault();
    // The stack index of a page name, -1 when unknown.
    int pageIndex(const QString& name) const;
    int getDialogCounter() const;
    StatusBar* statusBarObject() const;
    MessageDialog* messageDialog() const;

public slots:
    void addDialogCounter();
    void reduceDialogCounter();

signals:
    void updateAppActive();
    void updateAppActivity(bool active);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createPages();
    void addPage(const QString& name, QWidget* page);
    QWidget* page(const QString& name) const;
    bool handleBackKey();

    Ui::MainWindow* ui;
    TevaroApp* app;
    QMap<QString, int> pages;
    int dialogCounter;
    StatusBar* statusBar;
    MessageDialog* dialog;
    bool closing;   // a close is waiting for the session to end
};
