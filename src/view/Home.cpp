#include "view/Home.h"

#include "util/AppContext.h"
#include "util/TevaroApp.h"

Home::Home(QWidget* parent)
    : QWidget(parent), OverallView()
{
    setObjectName(QStringLiteral("Home"));
}

Home::~Home() = default;

void Home::setDefault()
{
}

void Home::logout()
{
    AppContext* context = AppContext::get();
    TevaroApp* app = context->getApp();
    if (app)
        app->stop();
    AppContext::release();
}
