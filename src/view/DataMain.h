#pragma once

#include "common/GlobalEnums.h"
#include "common/GraphDescriptor.h"
#include "common/Measure.h"
#include "view/OverallView.h"

#include <QMap>
#include <QString>
#include <QWidget>

class ChannelList;
class CustomPlotLine;
class DataMainUtil;
class DeviceConfig;
class Logger;
class MeasureDisplay;
class PlotlineShortCut;
class QHBoxLayout;
class QLabel;
class QTimer;
class SensorList;
class UserMenu;
class ZAnimatedButton;

namespace Ui {
class DataMain;
}

// The measurement screen, page "DataMain" of the main window: a header bar
// (back button, title, connection and side buttons, clock) over a stack of
// six pages: 0 the measurement tabs, 1 the sensor list, 2 the device
// configuration, 3 the logger, 4 and 5 the chart settings. The view id says
// what the back button does.
class DataMain : public QWidget, public OverallView
{
    Q_OBJECT

public:
    // Pages of stackData.
    enum StackPage { MEASURE_PAGE = 0, SENSOR_PAGE = 1, CONFIG_PAGE = 2, LOGGER_PAGE = 3, CHANNEL_CONFIG_PAGE = 4,
                     CHANNEL_CONFIG_PAGE_2 = 5 };
    // The side buttons, in the order of their selection index.
    enum SideButton { CHART_BUTTON = 0, SENSOR_BUTTON = 1, CONFIG_BUTTON = 2, LOGGER_BUTTON = 3 };

    explicit DataMain(QWidget* parent = nullptr);
    ~DataMain() override;

    // The label of the header that names the current view.
    QLabel* getHeaderLabel();
    DeviceConfig* getDeviceConfig() const;
    ChannelList* getChannelList() const;
    CustomPlotLine* getChart() const;
    // The chart's side panel; never null.
    PlotlineShortCut* getShortCut() const;
    SensorList* getSensorList() const;
    Logger* getLogger() const;
    UserMenu* getUserMenu() const;
    MeasureDisplay* getMeasureDisplay() const;
    int getViewId() const;
    int getCurrentPage() const;

signals:
    // The chart's start/stop button state and caption, for the logger.
    void changingStartStop(bool enabled, QString text);

public slots:
    void updateTime();
    void setChartWidget();
    void setLoggerWidget();
    // Shows the configuration; restart (or the configuration button already
    // being selected) opens its top table.
    void setConfigWidget(bool restart);
    void setConfigWidget();
    bool initConfigWidget(const bool& restart, const bool& setTitle);
    // The configuration opened from the sensor list at path; startPath names the sensor.
    void setConfigWidget(QString& path, QString& startPath);
    void setSensorWidget();
    void showConnectionInfo();
    void setBackToHome();
    void goBack();
    // -1: the current tab.
    void changeTabDisplay(int tab);
    void changeTabDisplay();
    void checkChannelConfig();
    void closeShortCutMenu();
    void toggleShortCutMenu();
    void changeMeasureState(GlobalEnums::ChartMeasureState state, Measure& measure);
    void changeStartStop(bool enabled, QString text);
    void startStopMeasure();
    // The stored measurements in a dialog over the main window; the chosen one goes to the chart.
    void showHistMeasureList();
    // The chart settings (DataMainPlotConfig.cpp): page 4 the graphs, page 5
    // the time axis. Opening takes the chart's graphs as the working copy;
    // saving hands it to the chart and returns to the measurement tabs.
    void setPlotConfig();
    void savePlotConfig();
    void showChannelConfigPart_1();
    void showChannelConfigPart_2();
    // Opens the chart's channel selection over the main window; only column 0 has one.
    void showChannelDialog(int column);
    // Takes the graphs as the working copy and rebuilds the graph table, one row per visible graph.
    void setPlotGraphs(QMap<int, GraphDescriptor>& descriptors);
    // A row's colour or axis chooser changed (the sender's "GraphIndex" names the graph).
    void setComboboxColor(int index);
    void setComboboxDimension(int axis);
    void setRingBuffer(int state);
    void updateRingBuffer();
    void setConnectionInfo(QString ssid);
    void updateConnectionInfo();
    void setDeviceConfigFromSensorList(QString& path, QString& startPath);
    void setSelectedChannelFromChannelList(QString path);
    void reloadCurrentTabWidget();
    void reloadWidget();
    // Called after a successful login.
    void setDefault();

private:
    // View ids: what the back button does.
    static constexpr int VIEW_HOME = 0;             // chart or sensor list: home page
    static constexpr int VIEW_CHART_SETTINGS = 1;   // chart settings: measurement page
    static constexpr int VIEW_LOGGER = 2;           // logger's own back step, else home page
    static constexpr int VIEW_CONFIG = 3;           // configuration's previous table, else home page
    static constexpr int VIEW_SENSOR_CONFIG = 4;    // configuration's previous table, else the sensor list
    static constexpr int VIEW_USER_MENU = 5;        // user menus' back step, else home page

    void markSideButton(int button);
    void setTitle(int textId, const QString& defaultText);
    void showPage(int page);
    void initTabs();
    // Chart settings: headers and columns of both tables, once.
    void setupPlotConfigTables();
    void addGraphRow(const GraphDescriptor& graph);
    void fillDateTimeRow();
    // The units of the graph table's rows, each in the combo box of its row's axis.
    void fillDimensionCombos();

    Ui::DataMain* ui;
    QTimer* clock;
    DataMainUtil* util;
    QHBoxLayout* chartLayout;
    CustomPlotLine* chart;
    PlotlineShortCut* shortCut;
    DeviceConfig* deviceConfig;
    ChannelList* channelList;
    MeasureDisplay* measureDisplay;
    Logger* logger;
    SensorList* sensorList;
    UserMenu* userMenu;
    QMap<int, GraphDescriptor> graphs;
    int viewId;
    ZAnimatedButton* ringIcon;
    int ringState;
    int selectedButton;
    QString ssid;
};
