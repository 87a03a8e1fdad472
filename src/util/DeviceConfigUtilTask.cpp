// The threaded DeviceConfigUtil: a build thread per task, fed through a
// request queue in which a burst of requests collapses into one build.
#include "util/DeviceConfigUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/ThreadHandOver.h"
#include "util/JSONUtil.h"

#include <QThread>
#include <QtDebug>

#include <exception>

// --- DeviceConfigUtilTask ------------------------------------------------------

DeviceConfigUtilTask::DeviceConfigUtilTask(QObject* parent)
    : DeviceConfigUtil(parent), worker(nullptr), thread(nullptr)
{
    startWorker();
}

DeviceConfigUtilTask::~DeviceConfigUtilTask()
{
    detachFromDeviceLink();
    // The loop ends after its current step; the step still uses this object,
    // so nothing goes before the thread has ended.
    worker->stop();
    thread->quit();
    waitForThread(thread);
    delete worker;
    worker = nullptr;
    delete thread;
    thread = nullptr;
}

void DeviceConfigUtilTask::startWorker()
{
    thread = new QThread();
    worker = new DeviceConfigUtilWork(this);
    worker->moveToThread(thread);
    connect(thread, &QThread::started, worker, &DeviceConfigUtilWork::work);
    // Direct: the thread must end even while the GUI thread waits for it.
    connect(worker, &DeviceConfigUtilWork::finishedWork, thread, &QThread::quit, Qt::DirectConnection);
    thread->start(QThread::InheritPriority);
}

TableStructure DeviceConfigUtilTask::getConfigTable(bool force, const QString& path)
{
    ConfigTableRequest request;
    request.force = force ? 1 : 0;
    request.path = solvedPath(path);
    worker->addRequest(request);
    TableStructure placeholder;
    placeholder.setPath(request.path);
    return placeholder;
}

bool DeviceConfigUtilTask::isRunning()
{
    return worker && worker->isRunning();
}

int DeviceConfigUtilTask::queuedRequests()
{
    return worker->queueSize();
}

// --- DeviceConfigUtilWork ------------------------------------------------------

DeviceConfigUtilWork::DeviceConfigUtilWork(DeviceConfigUtil* owner)
    : QObject(nullptr), owner(owner), stopRequested(false)
{
}

void DeviceConfigUtilWork::addRequest(const ConfigTableRequest& request)
{
    AnnotatedMutexLocker locker(&queueMutex);
    queue.append(request);
}

QString DeviceConfigUtilWork::takeRequest()
{
    bool force = false;
    return takeRequest(force);
}

QString DeviceConfigUtilWork::takeRequest(bool& force)
{
    AnnotatedMutexLocker locker(&queueMutex);
    force = false;
    if (queue.isEmpty())
        return QString();
    // A user's request is never displaced by a later refresh; otherwise the newest wins.
    QString path = queue.last().path;
    for (int i = queue.size() - 1; i >= 0; --i) {
        if (queue.at(i).force) {
            path = queue.at(i).path;
            force = true;
            break;
        }
    }
    queue.clear();
    return path;
}

int DeviceConfigUtilWork::queueSize()
{
    AnnotatedMutexLocker locker(&queueMutex);
    return queue.size();
}

bool DeviceConfigUtilWork::isRunning() const
{
    return !stopRequested;
}

void DeviceConfigUtilWork::stop()
{
    stopRequested = true;
}

void DeviceConfigUtilWork::processNext()
{
    bool force = false;
    const QString path = takeRequest(force);
    if (path.isEmpty() || !owner)
        return;
    // Navigating to another table may ask the device again for what was missing before.
    if (force && path != owner->getCurrentPath())
        owner->resetRequestedReads();
    owner->processRequest(path);
}

void DeviceConfigUtilWork::work()
{
    // A stop asked for before the thread ran holds: the flag is never reset here.
    while (!stopRequested) {
        try {
            if (queueSize() != 0)
                processNext();
            else
                QThread::msleep(IDLE_MS);
        } catch (const std::exception& e) {
            qWarning().noquote() << "Configuration build failed:" << e.what();
        } catch (...) {
            qWarning().noquote() << "Configuration build failed";
        }
    }
    emit finishedWork();
}
