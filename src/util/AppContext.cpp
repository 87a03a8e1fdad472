#include "util/AppContext.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex& contextMutex()
{
    static QMutex mutex;
    return mutex;
}

AppContext* instance = nullptr;
int useCount = 0;

} // namespace

AppContext* AppContext::get()
{
    QMutexLocker locker(&contextMutex());
    if (!instance)
        instance = new AppContext();
    ++useCount;
    return instance;
}

void AppContext::release()
{
    QMutexLocker locker(&contextMutex());
    if (useCount <= 1) {
        delete instance;
        instance = nullptr;
        useCount = 0;
    } else {
        --useCount;
    }
}

void AppContext::setApp(TevaroApp* value)
{
    app = value;
}

TevaroApp* AppContext::getApp() const
{
    return app;
}

void AppContext::setMainWindow(MainWindow* value)
{
    mainWindow = value;
}

MainWindow* AppContext::getMainWindow() const
{
    return mainWindow;
}
