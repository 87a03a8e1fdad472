#include "util/AppContext.h"

#include "common/AnnotatedLocks.h"

#include <QMutex>

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
    AnnotatedMutexLocker locker(&contextMutex());
    if (!instance)
        instance = new AppContext();
    ++useCount;
    return instance;
}

void AppContext::release()
{
    AnnotatedMutexLocker locker(&contextMutex());
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
