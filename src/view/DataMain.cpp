#include "view/DataMain.h"

#include "view/MainWindow.h"

DataMain::DataMain(QWidget* parent)
    : QWidget(parent), OverallView()
{
    setObjectName(QStringLiteral("DataMain"));
}

DataMain::~DataMain() = default;

void DataMain::setDefault()
{
}

void DataMain::setBackToHome()
{
    if (MainWindow* window = getMainWindow())
        window->setPage(MainWindow::HOME);
}
