#include "view/SensorList.h"

SensorList::SensorList(QWidget* parent)
    : QWidget(parent), OverallView()
{
    setObjectName(QStringLiteral("SensorList"));
}

void SensorList::setDefault()
{
}
