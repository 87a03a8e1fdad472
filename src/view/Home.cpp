#include "view/Home.h"
#include "ui_Home.h"

#include "util/AppContext.h"
#include "util/HomeUtil.h"
#include "util/Language.h"
#include "util/TevaroApp.h"
#include "view/DataMain.h"
#include "view/MainWindow.h"
#include "widgets/RingBufferIcon.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZAnimatedButton.h"

#include <QDateTime>
#include <QIcon>
#include <QTimer>
#include <QtDebug>

namespace {


const char* const USERS_ICON = ":/pic/icon/icon_usermanagement_320x320.png";
const char* const USERS_ICON_OFF = ":/pic/icon/icon_usermanagement_320x320_inaktiv.png";

} // namespace

Home::Home(QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::Home),
      dataMain(nullptr),
      clockTimer(nullptr),
      util(nullptr),
      ringIcon(nullptr)
{
    ensureTevaroResources();
    ui->setupUi(this);

    clockTimer = new QTimer(this);
    clockTimer->start(1000);
    updateTime();

    connect(clockTimer, SIGNAL(timeout()), this, SLOT(updateTime()));
    connect(ui->tbtnHomeDisplay, SIGNAL(clicked()), this, SLOT(clickDisplay()));
    connect(ui->tbtnHomeLogger, SIGNAL(clicked()), this, SLOT(clickLogger()));
    connect(ui->tbtnHomeHeaderLogger, SIGNAL(clicked()), this, SLOT(clickLogger()));
    connect(ui->tbtnHomeSensor, SIGNAL(clicked()), this, SLOT(clickSensor()));
    connect(ui->tbtnHomeSettings, SIGNAL(clicked()), this, SLOT(clickSettings()));
    connect(ui->tbtnHomeUserManagement, SIGNAL(clicked()), this, SLOT(clickUserManagement()));
    connect(ui->tbtnHomeLogout, SIGNAL(clicked()), this, SLOT(logout()));

    QIcon usersIcon;
    usersIcon.addFile(QLatin1String(USERS_ICON), QSize(), QIcon::Normal);
    usersIcon.addFile(QLatin1String(USERS_ICON_OFF), QSize(), QIcon::Disabled);
    ui->tbtnHomeUserManagement->setIcon(usersIcon);
    ui->tbtnHomeUserManagement->setEnabled(false);

    util = new HomeUtil(nullptr);
    connect(util, SIGNAL(updateRingBuffer(int)), this, SLOT(setRingBuffer(int)));
    connect(util, SIGNAL(updateRingBuffer()), this, SLOT(updateRingBuffer()));
    connect(util, SIGNAL(updateUserManagment(bool)), this, SLOT(setUserManagementEnable(bool)));
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(updateRingBuffer()));

    ringIcon = new ZAnimatedButton(ui->tbtnHomeHeaderLogger, QString());
    showRingBufferState(ringIcon, 1, false);

    setTranslatable(ui->lblHomeHeaderCrumb, 480, QStringLiteral("Home"));
    setTranslatable(ui->lblHomeDisplay, 344, QStringLiteral("Anzeige"));
    setTranslatable(ui->tbtnHomeDisplay, 344, QStringLiteral("Anzeige"));
    setTranslatable(ui->lblHomeLogger, 896, QStringLiteral("Speicher"));
    setTranslatable(ui->lblHomeSensor, 442, QStringLiteral("Fühler"));
    setTranslatable(ui->tbtnHomeSensor, 442, QStringLiteral("Fühler"));
    setTranslatable(ui->tbtnHomeSettings, 423, QStringLiteral("Einstellungen"));
    setTranslatable(ui->tbtnHomeLogout, 848, QStringLiteral("Abmelden"));
    setTranslatable(ui->tbtnHomeUserManagement, 923, QStringLiteral("Benutzer"));
    language->update(this);
}

Home::~Home()
{
    delete util;
    delete ui;
}

void Home::updateTime()
{
    ui->lblHomeTime->setWordWrap(true);
    ui->lblHomeTime->setText(QDateTime::currentDateTime().toString(QStringLiteral(" dd.MM.yy \n hh:mm")));
}

DataMain* Home::showDataMain()
{
    MainWindow* window = getMainWindow();
    if (!window) {
        qWarning().noquote() << "The measurement screen cannot be shown: no main window.";
        return nullptr;
    }
    dataMain = qobject_cast<DataMain*>(window->setPage(MainWindow::DATA_MAIN));
    return dataMain;
}

void Home::clickLogger()
{
    if (DataMain* page = showDataMain())
        page->setLoggerWidget();
}

void Home::clickDisplay()
{
    if (DataMain* page = showDataMain())
        page->setChartWidget();
}

void Home::clickSensor()
{
    if (DataMain* page = showDataMain())
        page->setSensorWidget();
}

void Home::clickSettings()
{
    if (DataMain* page = showDataMain())
        page->setConfigWidget(true);
}

void Home::logout()
{
    AppContext* context = AppContext::get();
    if (TevaroApp* app = context->getApp())
        app->stop();
    AppContext::release();
}

void Home::setRingBuffer(int state)
{
    showRingBufferState(ringIcon, state, false);   // an unknown state keeps the picture
}

void Home::updateRingBuffer()
{
    util->getRingBuffer();
}

void Home::updateUserManagement()
{
    util->getUserManagement();
}

void Home::setDefault()
{
    setRingBuffer(1);
    util->getRingBuffer();
    ui->tbtnHomeUserManagement->setEnabled(false);
    util->getUserManagement();
}

void Home::clickUserManagement()
{
    if (MainWindow* window = getMainWindow())
        window->setPage(MainWindow::USER_MANAGEMENT);
}

void Home::setUserManagementEnable(bool enabled)
{
    ui->tbtnHomeUserManagement->setEnabled(enabled);
}
