#include "view/Logger.h"

#include "view/DataMain.h"

Logger::Logger(DataMain* host, QWidget* parent)
    : QWidget(parent), OverallView(), dataMain(host)
{
    setObjectName(QStringLiteral("Logger"));
    if (dataMain)
        connect(dataMain, SIGNAL(changingStartStop(bool,QString)), this, SLOT(changeStartStop(bool,QString)));
}

void Logger::setStartPage()
{
}

bool Logger::setFormerPage()
{
    return false;
}

void Logger::setDefault()
{
}

void Logger::changeStartStop(bool enabled, QString text)
{
    Q_UNUSED(enabled)
    Q_UNUSED(text)
}
