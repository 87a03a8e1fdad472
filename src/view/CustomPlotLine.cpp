#include "view/CustomPlotLine.h"

#include "util/AppContext.h"
#include "util/JSONUtil.h"
#include "util/TevaroApp.h"

#include <json/json.h>

#include <QPushButton>

namespace {

const char* const START_STOP_PATH = "$.SERV.FCT.STST.VAL";

} // namespace

CustomPlotLine::CustomPlotLine(DataMain* ownerScreen, QPushButton* button, QWidget* parent)
    : QWidget(parent), OverallView(), owner(ownerScreen), startStopButton(button)
{
    setObjectName(QStringLiteral("CustomPlotLine"));
    GlobalEnums::registerMetaTypes();
    qRegisterMetaType<Measure>("Measure");
    qRegisterMetaType<Measure>("Measure&");
}

int CustomPlotLine::isHistMeasure()
{
    return 0;
}

void CustomPlotLine::setDefault()
{
}

QMap<int, GraphDescriptor> CustomPlotLine::getGraphDescriptors()
{
    return {};
}

void CustomPlotLine::setGraphDescriptors(QMap<int, GraphDescriptor>& descriptors)
{
    Q_UNUSED(descriptors)
}

QList<QColor> CustomPlotLine::getGraphColors()
{
    return {};
}

QString CustomPlotLine::getGraphDimension(const int& graphIndex)
{
    Q_UNUSED(graphIndex)
    return QString();
}

QStringList CustomPlotLine::getDateTimeFormats()
{
    return {};
}

int CustomPlotLine::getDateTimeFormatIndex()
{
    return -1;
}

void CustomPlotLine::setDateTimeFormat(const int& index)
{
    Q_UNUSED(index)
}

void CustomPlotLine::setAxisLabels(QString left, QString right)
{
    Q_UNUSED(left)
    Q_UNUSED(right)
}

void CustomPlotLine::startStopMeasure()
{
    AppContext* context = AppContext::get();
    TevaroApp* app = context->getApp();
    if (app && app->getJSONUtil()) {
        const int mode = GlobalEnums::SET;
        app->getJSONUtil()->requestConfig(QLatin1String(START_STOP_PATH), Json::Value(1), mode);
    }
    AppContext::release();
}

void CustomPlotLine::loadHistMeasure(Measure measure)
{
    Q_UNUSED(measure)
}
