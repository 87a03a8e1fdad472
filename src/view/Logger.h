#pragma once

#include "view/OverallView.h"

#include <QString>
#include <QWidget>

class DataMain;

// The logger and memory screen, page 3 of the measurement screen.
class Logger : public QWidget, public OverallView
{
    Q_OBJECT

public:
    Logger(DataMain* dataMain, QWidget* parent = nullptr);

    // Its memory-status page and first tab.
    void setStartPage();
    // The logger's own back step: true when it went back within the logger.
    bool setFormerPage();
    // After a login: tables and pages reset.
    void setDefault();

public slots:
    // The chart's start/stop button state and caption.
    void changeStartStop(bool enabled, QString text);

private:
    DataMain* dataMain;
};
