#include "view/DataMain.h"
#include "ui_DataMain.h"

#include "util/DataMainUtil.h"
#include "util/Language.h"
#include "view/ChannelList.h"
#include "view/CustomPlotLine.h"
#include "view/HistMeasureList.h"
#include "view/Logger.h"
#include "view/PlotlineShortCut.h"
#include "view/SensorList.h"
#include "view/StatusBar.h"
#include "view/UserMenu.h"
#include "widgets/ZDialog.h"
#include "view/DeviceConfig.h"
#include "view/MainWindow.h"
#include "view/MeasureDisplay.h"
#include "widgets/Repolish.h"
#include "widgets/RingBufferIcon.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZAnimatedButton.h"
#include "widgets/ZTooltip.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QIcon>
#include <QSpacerItem>
#include <QTimer>
#include <QVBoxLayout>
#include <QtDebug>

namespace {

const int CONNECTION_INFO_MS = 5000;
const int STATUS_MS = 10000;
const int HIST_LIST_MAX_WIDTH = 900;
const int HIST_LIST_MAX_HEIGHT = 500;

struct TabLook
{
    int textId;
    const char* title;
    const char* picture;   // between "icon_" and "_31x31"
};

const TabLook TABS[] = {
    {868, "Kanalliste", "messliste"},
    {867, "Messwertanzeige", "messwert"},
    {535, "Liniendiagramm", "linien"},
    {745, "Usermenü", "usermen"},
};
const int TAB_COUNT = 4;
const int MEASURE_DISPLAY_TAB = 1;
const int LINE_CHART_TAB = 2;
const int USER_MENU_TAB = 3;

// Icons of the chart, settings and sensor buttons for each selected button.
struct SideIcons
{
    const char* chart;
    const char* settings;
    const char* sensor;
};

const SideIcons SIDE_ICONS[] = {
    {":/pic/icon/icon_anzeige_31x31_green_darkwhite.bmp", ":/pic/icon/icon_einstellungen_31x31_white_green.bmp",
     ":/pic/icon/icon_fuehler_31x31_white_green.bmp"},
    {":/pic/icon/icon_anzeige_31x31_white_green.bmp", ":/pic/icon/icon_einstellungen_31x31_white_green.bmp",
     ":/pic/icon/icon_fuehler_31x31_green_white.bmp"},
    {":/pic/icon/icon_anzeige_31x31_white_green.bmp", ":/pic/icon/icon_einstellungen_31x31_green_darkwhite.bmp",
     ":/pic/icon/icon_fuehler_31x31_white_green.bmp"},
    {":/pic/icon/icon_anzeige_31x31_white_green.bmp", ":/pic/icon/icon_einstellungen_31x31_white_green.bmp",
     ":/pic/icon/icon_fuehler_31x31_white_green.bmp"},
};

void addToContainer(QWidget* container, QWidget* screen)
{
    QLayout* layout = container->layout();
    if (!layout) {
        layout = new QVBoxLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    layout->addWidget(screen);
}

} // namespace

DataMain::DataMain(QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::DataMain),
      clock(nullptr),
      util(nullptr),
      chartLayout(nullptr),
      chart(nullptr),
      shortCut(nullptr),
      deviceConfig(nullptr),
      channelList(nullptr),
      measureDisplay(nullptr),
      logger(nullptr),
      sensorList(nullptr),
      userMenu(nullptr),
      viewId(VIEW_HOME),
      ringIcon(nullptr),
      ringState(1),
      selectedButton(CHART_BUTTON)
{
    ensureTevaroResources();
    ui->setupUi(this);
    initTabs();

    chartLayout = new QHBoxLayout();
    chartLayout->setContentsMargins(0, 0, 0, 0);
    chart = new CustomPlotLine(this, ui->btnDataStartStop, ui->wgtLineChart);
    GlobalEnums::registerMetaTypes();
    connect(chart, SIGNAL(changeMeasureState(GlobalEnums::ChartMeasureState,Measure&)), this,
            SLOT(changeMeasureState(GlobalEnums::ChartMeasureState,Measure&)));
    connect(chart, SIGNAL(changeStartStop(bool,QString)), this, SLOT(changeStartStop(bool,QString)));
    chartLayout->addWidget(chart);
    ui->wgtLineChart->setLayout(chartLayout);
    shortCut = new PlotlineShortCut(chart, ui->wgtLineChart);
    connect(shortCut, SIGNAL(closeShortCut()), this, SLOT(closeShortCutMenu()));
    shortCut->hide();

    clock = new QTimer(this);
    clock->start(1000);
    updateTime();

    ringIcon = new ZAnimatedButton(ui->tbtnDataHeadLogger, QString());

    connect(ui->tbtnDataHeadChart, SIGNAL(clicked()), this, SLOT(setChartWidget()));
    connect(ui->tbtnDataHeadMeasure, SIGNAL(clicked()), this, SLOT(setSensorWidget()));
    connect(ui->tbtnDataHeadSettings, SIGNAL(clicked()), this, SLOT(setConfigWidget()));
    connect(ui->tbtnDataHeadLogger, SIGNAL(clicked()), this, SLOT(setLoggerWidget()));
    connect(ui->tbtnDataHeadConnection, SIGNAL(clicked()), this, SLOT(showConnectionInfo()));
    connect(ui->tbtnDataBack, SIGNAL(clicked()), this, SLOT(goBack()));
    connect(ui->tabwgtDisplay, SIGNAL(currentChanged(int)), this, SLOT(changeTabDisplay(int)));
    connect(ui->tabwgtDisplay, SIGNAL(currentReload()), this, SLOT(reloadCurrentTabWidget()));
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(reloadWidget()));
    connect(clock, SIGNAL(timeout()), this, SLOT(updateTime()));
    connect(ui->tbtnDataSettings, SIGNAL(clicked()), this, SLOT(setPlotConfig()));
    connect(ui->btnSaveChannelConfig, SIGNAL(clicked()), this, SLOT(savePlotConfig()));
    connect(ui->btnSaveChannelConfig_2, SIGNAL(clicked()), this, SLOT(savePlotConfig()));
    connect(ui->btnForwardChannelConfig, SIGNAL(clicked()), this, SLOT(showChannelConfigPart_2()));
    connect(ui->btnBackwardChannelConfig, SIGNAL(clicked()), this, SLOT(showChannelConfigPart_1()));

    util = new DataMainUtil(nullptr);
    connect(util, SIGNAL(updateRingBuffer(int)), this, SLOT(setRingBuffer(int)));
    connect(util, SIGNAL(updateRingBuffer()), this, SLOT(updateRingBuffer()));
    connect(util, SIGNAL(updateConnectionInfo(QString)), this, SLOT(setConnectionInfo(QString)));
    connect(util, SIGNAL(updateConnectionInfo()), this, SLOT(updateConnectionInfo()));

    // Title and bar buttons match the initial tab.
    emit ui->tabwgtDisplay->currentChanged(ui->tabwgtDisplay->currentIndex());

    deviceConfig = new DeviceConfig(this);
    addToContainer(ui->wgtDataConfigStack, deviceConfig);
    logger = new Logger(this, this);
    addToContainer(ui->wgtDataLoggerStack, logger);
    measureDisplay = new MeasureDisplay(this);
    addToContainer(ui->wgtMeasureDisplay, measureDisplay);
    channelList = new ChannelList(this);
    addToContainer(ui->wgtMeasureList, channelList);
    connect(channelList, SIGNAL(selectChannel(QString)), this, SLOT(setSelectedChannelFromChannelList(QString)));
    sensorList = new SensorList(this);
    addToContainer(ui->wgtDataDeviceStack, sensorList);
    connect(sensorList, SIGNAL(setDeviceConfigByPath(QString&,QString&)), this,
            SLOT(setDeviceConfigFromSensorList(QString&,QString&)));
    userMenu = new UserMenu(this);
    addToContainer(ui->wgtUserMenu, userMenu);
    setupPlotConfigTables();

    setTranslatable(ui->lblAxis1, 869, QStringLiteral("Achse 1"));
    setTranslatable(ui->lblAxis2, 870, QStringLiteral("Achse 2"));
    setTranslatable(ui->btnSaveChannelConfig, 424, QStringLiteral("Einstellungen speichern"));
    setTranslatable(ui->btnSaveChannelConfig_2, 424, QStringLiteral("Einstellungen speichern"));
    setTranslatable(ui->tbtnDataBack, 788, QStringLiteral("Zurück"));
    setTranslatable(ui->tbtnDataSettings, 423, QStringLiteral("Einstellungen"));
    language->update(this);
    ui->tbtnDataHeadConnection->hide();
    markSideButton(selectedButton);
}

DataMain::~DataMain()
{
    delete ui;
    delete util;
}

void DataMain::initTabs()
{
    ZTabWidget* tabs = ui->tabwgtDisplay;
    tabs->tabBar()->setDocumentMode(true);
    for (int i = 0; i < TAB_COUNT && i < tabs->count(); ++i) {
        const QString picture = QStringLiteral(":/pic/icon/icon_%1_31x31_").arg(QLatin1String(TABS[i].picture));
        QIcon icon;
        icon.addFile(picture + QStringLiteral("white_grey.bmp"), QSize(), QIcon::Normal, QIcon::Off);
        icon.addFile(picture + QStringLiteral("green_white.bmp"), QSize(), QIcon::Normal, QIcon::On);
        tabs->setTabIcon(i, icon);
        tabs->setTabText(i, QString());   // the title stands in the header
    }
}

QLabel* DataMain::getHeaderLabel()
{
    return ui->lblDataHeaderCrumb;
}

DeviceConfig* DataMain::getDeviceConfig() const
{
    return deviceConfig;
}

ChannelList* DataMain::getChannelList() const
{
    return channelList;
}

CustomPlotLine* DataMain::getChart() const
{
    return chart;
}

PlotlineShortCut* DataMain::getShortCut() const
{
    return shortCut;
}

SensorList* DataMain::getSensorList() const
{
    return sensorList;
}

Logger* DataMain::getLogger() const
{
    return logger;
}

UserMenu* DataMain::getUserMenu() const
{
    return userMenu;
}

MeasureDisplay* DataMain::getMeasureDisplay() const
{
    return measureDisplay;
}

int DataMain::getViewId() const
{
    return viewId;
}

int DataMain::getCurrentPage() const
{
    return ui->stackData->currentIndex();
}

void DataMain::updateTime()
{
    ui->lblDataTime->setWordWrap(true);
    ui->lblDataTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui->lblDataTime->setText(QDateTime::currentDateTime().toString(QStringLiteral(" dd.MM.yy \n hh:mm")));
}

void DataMain::setTitle(int textId, const QString& defaultText)
{
    ui->lblDataHeaderCrumb->setText(language->getText(textId, defaultText));
}

void DataMain::showPage(int page)
{
    ui->stackData->setCurrentIndex(page);
}

void DataMain::setChartWidget()
{
    viewId = VIEW_HOME;
    selectedButton = CHART_BUTTON;
    showPage(MEASURE_PAGE);
    markSideButton(selectedButton);
    ui->stackData->currentWidget()->repaint();
    changeTabDisplay(-1);
}

void DataMain::setSensorWidget()
{
    viewId = VIEW_HOME;
    selectedButton = SENSOR_BUTTON;
    showPage(SENSOR_PAGE);
    markSideButton(selectedButton);
    setTitle(924, QStringLiteral("Fühlerliste"));
}

void DataMain::setLoggerWidget()
{
    viewId = VIEW_LOGGER;
    selectedButton = LOGGER_BUTTON;
    showPage(LOGGER_PAGE);
    markSideButton(selectedButton);
    setTitle(896, QStringLiteral("Speicher"));
    logger->setStartPage();
}

bool DataMain::initConfigWidget(const bool& restart, const bool& setTitleText)
{
    const bool wasSelected = selectedButton == CONFIG_BUTTON;
    viewId = VIEW_CONFIG;
    selectedButton = CONFIG_BUTTON;
    showPage(CONFIG_PAGE);
    markSideButton(selectedButton);
    if (setTitleText)
        setTitle(524, QStringLiteral("Konfiguration"));
    return wasSelected ? true : restart;
}

void DataMain::setConfigWidget(bool restart)
{
    const bool fromTop = initConfigWidget(restart, true);
    deviceConfig->openConfig(fromTop, 0);
}

void DataMain::setConfigWidget()
{
    setConfigWidget(false);
}

void DataMain::setConfigWidget(QString& path, QString& startPath)
{
    initConfigWidget(true, false);
    viewId = VIEW_SENSOR_CONFIG;
    deviceConfig->openConfigPath(path, 1, startPath);
}

void DataMain::setDeviceConfigFromSensorList(QString& path, QString& startPath)
{
    setConfigWidget(path, startPath);
}

void DataMain::markSideButton(int button)
{
    if (button < CHART_BUTTON || button > LOGGER_BUTTON)
        return;
    QToolButton* const buttons[] = {ui->tbtnDataHeadChart, ui->tbtnDataHeadMeasure, ui->tbtnDataHeadSettings,
                                    ui->tbtnDataHeadLogger};
    for (int i = CHART_BUTTON; i <= LOGGER_BUTTON; ++i)
        buttons[i]->setProperty("ZZActive", i == button);
    setRingBuffer(ringState);
    repolish(ui->tbtnDataHeadChart);
    repolish(ui->tbtnDataHeadSettings);
    repolish(ui->tbtnDataHeadMeasure);
    repolish(ui->tbtnDataHeadLogger);
    const SideIcons& icons = SIDE_ICONS[button];
    ui->tbtnDataHeadChart->setIcon(QIcon(QLatin1String(icons.chart)));
    ui->tbtnDataHeadSettings->setIcon(QIcon(QLatin1String(icons.settings)));
    ui->tbtnDataHeadMeasure->setIcon(QIcon(QLatin1String(icons.sensor)));
}

void DataMain::setRingBuffer(int state)
{
    ringState = state;
    if (!showRingBufferState(ringIcon, state, selectedButton == LOGGER_BUTTON))
        qWarning().noquote() << "RING-ICON could not be set. Status:" << state << " Widget:" << selectedButton;
}

void DataMain::updateRingBuffer()
{
    util->readRingBuffer();
}

void DataMain::setConnectionInfo(QString text)
{
    ssid = text;
    ui->tbtnDataHeadConnection->setVisible(!ssid.isEmpty());
}

void DataMain::updateConnectionInfo()
{
    util->readConnectionInfo();
}

void DataMain::showConnectionInfo()
{
    if (MainWindow* window = getMainWindow()) {
        // Deletes itself when its time is over; owned here should the screen go first.
        auto* tip = new ZTooltip(ssid, ui->tbtnDataHeadConnection, window, CONNECTION_INFO_MS);
        tip->setParent(this);
    }
}

void DataMain::setBackToHome()
{
    if (MainWindow* window = getMainWindow())
        window->setPage(MainWindow::HOME);
}

void DataMain::goBack()
{
    const int page = getCurrentPage();
    if (page == CHANNEL_CONFIG_PAGE || page == CHANNEL_CONFIG_PAGE_2)
        ui->tblChannelConfig->clearContents();
    switch (viewId) {
    case VIEW_HOME:
        setBackToHome();
        break;
    case VIEW_CHART_SETTINGS:
        setChartWidget();
        break;
    case VIEW_LOGGER:
        if (page != LOGGER_PAGE || !logger->setFormerPage())
            setBackToHome();
        break;
    case VIEW_CONFIG:
        if (page != CONFIG_PAGE)
            setConfigWidget(true);
        else if (!deviceConfig->setFormerTable())
            setBackToHome();
        break;
    case VIEW_SENSOR_CONFIG:
        if (page != CONFIG_PAGE || !deviceConfig->setFormerTable())
            setSensorWidget();
        break;
    case VIEW_USER_MENU:
        if (!userMenu->goBack())
            setBackToHome();
        break;
    default:
        break;
    }
}

void DataMain::changeTabDisplay(int tab)
{
    if (tab == -1)
        tab = ui->tabwgtDisplay->currentIndex();
    if (tab < 0 || tab >= TAB_COUNT)
        return;
    ui->btnDataStartStop->setVisible(true);
    ui->tbtnDataSettings->setVisible(tab == LINE_CHART_TAB);
    setTitle(TABS[tab].textId, QString::fromUtf8(TABS[tab].title));
    if (tab == USER_MENU_TAB)
        viewId = VIEW_USER_MENU;
}

void DataMain::changeTabDisplay()
{
    changeTabDisplay(-1);
}

void DataMain::checkChannelConfig()
{
    const int page = getCurrentPage();
    if (page == CHANNEL_CONFIG_PAGE || page == CHANNEL_CONFIG_PAGE_2)
        setChartWidget();
}

void DataMain::setSelectedChannelFromChannelList(QString path)
{
    ui->tabwgtDisplay->setCurrentIndex(MEASURE_DISPLAY_TAB);
    changeTabDisplay(MEASURE_DISPLAY_TAB);
    measureDisplay->selectChannel(path);
}

void DataMain::reloadCurrentTabWidget()
{
    if (ui->tabwgtDisplay->currentIndex() == USER_MENU_TAB)
        userMenu->goBack();
}

void DataMain::closeShortCutMenu()
{
    if (chartLayout->indexOf(shortCut) < 0)
        return;
    shortCut->hide();
    chartLayout->removeWidget(shortCut);
}

void DataMain::toggleShortCutMenu()
{
    if (chartLayout->indexOf(shortCut) >= 0) {
        closeShortCutMenu();
        return;
    }
    chartLayout->addWidget(shortCut);
    shortCut->show();
}

void DataMain::changeMeasureState(GlobalEnums::ChartMeasureState state, Measure& measure)
{
    if (chart->isHistMeasure() || state != GlobalEnums::START)
        return;
    checkChannelConfig();
    MainWindow* window = getMainWindow();
    if (!window || !window->isCurrentPage(MainWindow::DATA_MAIN))
        return;
    const QString start = QDateTime::fromMSecsSinceEpoch(measure.getStart()).toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    showStatus(language->getText(898, QStringLiteral("Eine neue Messung wurde gestartet")) + QStringLiteral(" (") + start
                   + QStringLiteral(")"),
               STATUS_MS);
}

void DataMain::changeStartStop(bool enabled, QString text)
{
    emit changingStartStop(enabled, text);
}

void DataMain::startStopMeasure()
{
    chart->startStopMeasure();
}

void DataMain::showHistMeasureList()
{
    MainWindow* window = getMainWindow();
    if (!window)
        return;
    auto* dialog = new ZDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QHBoxLayout(dialog);
    auto* list = new HistMeasureList(0, dialog);
    list->setMaximumSize(HIST_LIST_MAX_WIDTH, HIST_LIST_MAX_HEIGHT);
    // Between the spacers the list would shrink to its hint, too narrow for its three columns.
    list->setMinimumSize(HIST_LIST_MAX_WIDTH, HIST_LIST_MAX_HEIGHT);
    layout->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    layout->addWidget(list);
    layout->addItem(new QSpacerItem(20, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    connect(list, SIGNAL(loadingHistMeasure(Measure)), chart, SLOT(loadHistMeasure(Measure)));
    connect(list, SIGNAL(cancelingHistMeasure()), dialog, SLOT(close()));
    closeOnLogout(dialog);
    dialog->show();
    list->requestHistMeasures();
}

void DataMain::reloadWidget()
{
    util->readConnectionInfo();
    util->readRingBuffer();
    checkChannelConfig();
}

void DataMain::setDefault()
{
    setRingBuffer(1);
    util->readRingBuffer();
    util->readConnectionInfo();
    chart->setDefault();
    deviceConfig->resetConfig();
    logger->setDefault();
    channelList->setDefault();
    measureDisplay->setDefault();
    sensorList->setDefault();
    userMenu->clearTable();
    closeShortCutMenu();
    ui->tabwgtDisplay->setCurrentIndex(LINE_CHART_TAB);
    ui->tbtnDataHeadConnection->hide();
}
