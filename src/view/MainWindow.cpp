#include "view/MainWindow.h"
#include "ui_MainWindow.h"

#include "util/TevaroApp.h"
#include "view/DataMain.h"
#include "view/Home.h"
#include "view/MessageDialog.h"
#include "view/NetworkConfig.h"
#include "view/StatusBar.h"
#include "view/UserLogin.h"
#include "view/UserManagement.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QStackedWidget>
#include <QtDebug>

namespace {

const char* const PAGE_NAMES[] = {"Login", "Home", "DataMain", "NetworkConfig", "UserManagement"};
const int PAGE_COUNT = 5;

} // namespace

MainWindow::MainWindow(TevaroApp* app, QWidget* parent)
    : QMainWindow(parent),
      OverallView(),
      ui(new Ui::MainWindow),
      app(app),
      dialogCounter(0),
      statusBar(nullptr),
      dialog(nullptr),
      closing(false)
{
    ui->setupUi(this);
    resize(1280, 800);

    statusBar = new StatusBar(this, nullptr);
    dialog = new MessageDialog(this, app);
    // Pages may reach the window, the bar and the dialog from their constructors.
    setFrame(this, statusBar, dialog);

    createPages();
}

MainWindow::~MainWindow()
{
    if (getMainWindow() == this)
        setFrame(nullptr, nullptr, nullptr);
    // Pages without a parent are owned by the stack; they go with it.
    delete ui;
    delete statusBar;
}

void MainWindow::createPages()
{
    UserLogin* login = new UserLogin(nullptr);
    addPage(QLatin1String(PAGE_NAMES[LOGIN]), login);
    login->init();
    addPage(QLatin1String(PAGE_NAMES[HOME]), new Home(this));
    addPage(QLatin1String(PAGE_NAMES[DATA_MAIN]), new DataMain(this));
    addPage(QLatin1String(PAGE_NAMES[NETWORK_CONFIG]), new NetworkConfig(nullptr));
    addPage(QLatin1String(PAGE_NAMES[USER_MANAGEMENT]), new UserManagement(nullptr));
}

void MainWindow::addPage(const QString& name, QWidget* pageWidget)
{
    pages.insert(name, ui->stackedWidget_Main->addWidget(pageWidget));
}

int MainWindow::pageIndex(const QString& name) const
{
    return pages.value(name, -1);
}

QWidget* MainWindow::page(const QString& name) const
{
    const int index = pageIndex(name);
    return index < 0 ? nullptr : ui->stackedWidget_Main->widget(index);
}

QWidget* MainWindow::setPage(int pageNumber)
{
    if (pageNumber >= 0 && pageNumber < PAGE_COUNT) {
        ui->stackedWidget_Main->setCurrentIndex(pages.value(QLatin1String(PAGE_NAMES[pageNumber]), 0));
        emit statusBar->showPermanent(pageNumber == LOGIN);
    }
    return ui->stackedWidget_Main->currentWidget();
}

bool MainWindow::isCurrentPage(int pageNumber) const
{
    return ui->stackedWidget_Main->currentIndex() == pageNumber;
}

UserLogin* MainWindow::getLoginPage()
{
    return qobject_cast<UserLogin*>(page(QLatin1String(PAGE_NAMES[LOGIN])));
}

void MainWindow::setDefault()
{
    if (DataMain* dataMain = qobject_cast<DataMain*>(page(QLatin1String(PAGE_NAMES[DATA_MAIN]))))
        dataMain->setDefault();
    if (Home* home = qobject_cast<Home*>(page(QLatin1String(PAGE_NAMES[HOME]))))
        home->setDefault();
    if (UserManagement* users = qobject_cast<UserManagement*>(page(QLatin1String(PAGE_NAMES[USER_MANAGEMENT]))))
        users->setDefault();
}

int MainWindow::getDialogCounter() const
{
    return dialogCounter;
}

StatusBar* MainWindow::statusBarObject() const
{
    return statusBar;
}

MessageDialog* MainWindow::messageDialog() const
{
    return dialog;
}

void MainWindow::addDialogCounter()
{
    ++dialogCounter;
}

void MainWindow::reduceDialogCounter()
{
    // Never below 0, whatever order shows and hides come in.
    dialogCounter = qMax(0, dialogCounter - 1);
}

bool MainWindow::event(QEvent* e)
{
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Back) {
        if (dialogCounter != 0)
            return true;   // a shown dialog blocks the Back key
        if (handleBackKey())
            return true;
    }
    return QMainWindow::event(e);
}

bool MainWindow::handleBackKey()
{
    const int current = ui->stackedWidget_Main->currentIndex();
    if (current == pageIndex(QLatin1String(PAGE_NAMES[HOME]))) {
        if (Home* home = qobject_cast<Home*>(page(QLatin1String(PAGE_NAMES[HOME]))))
            home->logout();
        return true;
    }
    if (current == pageIndex(QLatin1String(PAGE_NAMES[DATA_MAIN]))) {
        if (DataMain* dataMain = qobject_cast<DataMain*>(page(QLatin1String(PAGE_NAMES[DATA_MAIN]))))
            dataMain->setBackToHome();
        return true;
    }
    if (current == pageIndex(QLatin1String(PAGE_NAMES[NETWORK_CONFIG]))) {
        setPage(LOGIN);
        return true;
    }
    if (current == pageIndex(QLatin1String(PAGE_NAMES[USER_MANAGEMENT]))) {
        setPage(HOME);
        return true;
    }
    return false;
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (closing || (app && app->isStopping())) {
        e->ignore();   // the session is still being ended
        return;
    }
    closing = true;
    // The waits below run the event loop: nothing on the window may start a
    // new session meanwhile.
    setEnabled(false);
    if (app) {
        app->stop();
        app->waitForLogoutAnswer();
        if (app->isStarted()) {
            qWarning().noquote() << "A session began while the window was closing; it is ended as well.";
            app->stop();
            app->waitForLogoutAnswer();
        }
    }
    setEnabled(true);
    closing = false;
    QMainWindow::closeEvent(e);
}
