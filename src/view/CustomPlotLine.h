#pragma once

#include "common/GlobalEnums.h"
#include "common/GraphDescriptor.h"
#include "common/Measure.h"
#include "view/OverallView.h"

#include <QColor>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QWidget>

class DataMain;
class QPushButton;

// The line chart of the measurement screen's chart tab. For now it draws
// nothing: it holds the chart's interface (graph settings, time formats,
// start/stop of the measurement, stored measurements) for its host.
class CustomPlotLine : public QWidget, public OverallView
{
    Q_OBJECT

public:
    CustomPlotLine(DataMain* owner, QPushButton* startStopButton, QWidget* parent = nullptr);

    // 1 while a stored measurement is shown instead of live data, else 0.
    int isHistMeasure();
    // Back to the empty live chart; called after a login.
    void setDefault();
    QMap<int, GraphDescriptor> getGraphDescriptors();
    void setGraphDescriptors(QMap<int, GraphDescriptor>& descriptors);
    QList<QColor> getGraphColors();
    // The unit of a graph; empty for an invalid index.
    QString getGraphDimension(const int& graphIndex);
    QStringList getDateTimeFormats();
    // -1 when the current format is not in the list.
    int getDateTimeFormatIndex();
    void setDateTimeFormat(const int& index);
    void setAxisLabels(QString left, QString right);

signals:
    void changeMeasureState(GlobalEnums::ChartMeasureState state, Measure& measure);
    void changeStartStop(bool enabled, QString text);

public slots:
    // Asks the instrument to start or stop the measurement ("$.SERV.FCT.STST.VAL" = 1).
    void startStopMeasure();
    void loadHistMeasure(Measure measure);

private:
    DataMain* owner;
    QPushButton* startStopButton;
};
