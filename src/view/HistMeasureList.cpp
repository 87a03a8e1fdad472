#include "view/HistMeasureList.h"

HistMeasureList::HistMeasureList(int listMode, QWidget* parent)
    : QWidget(parent), OverallView(), mode(listMode)
{
    setObjectName(QStringLiteral("HistMeasureList"));
    qRegisterMetaType<Measure>("Measure");
}

void HistMeasureList::requestHistMeasures()
{
}
