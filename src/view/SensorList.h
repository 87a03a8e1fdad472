#pragma once

#include "view/OverallView.h"

#include <QString>
#include <QWidget>

// The sensor list, page 1 of the measurement screen.
class SensorList : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit SensorList(QWidget* parent = nullptr);

signals:
    // Asks the measurement screen to open the configuration at a sensor's path.
    void setDeviceConfigByPath(QString& path, QString& startPath);

public slots:
    // After a login: worker, device chooser and table reset.
    void setDefault();
};
