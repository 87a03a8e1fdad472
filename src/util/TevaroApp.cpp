#include "util/TevaroApp.h"

#include "util/AppContext.h"
#include "util/HTTPRequestPollTask.h"
#include "util/HTTPRequestUtil.h"
#include "util/JSONUtil.h"
#include "util/MessageDialogUtil.h"
#include "util/ReceiveJSONTask.h"
#include "util/SettingsUtil.h"
#include "util/UserRoleUtil.h"

#include <QThread>
#include <QtDebug>

namespace {
const unsigned long THREAD_END_WAIT_MS = 10000;
}

TevaroApp::TevaroApp(QObject* parent)
    : QObject(parent),
      mainWindow(nullptr),
      jsonUtil(nullptr),
      userRoleUtil(nullptr),
      httpRequestUtil(nullptr),
      started(false),
      receiveRunning(false),
      context(AppContext::get()),
      messageDialogUtil(nullptr)
{
    context->setApp(this);

    jsonUtil = new JSONUtil();
    userRoleUtil = new UserRoleUtil();
    httpRequestUtil = jsonUtil->getHTTPRequestUtil();

    // Workers take JSONUtil and UserRoleUtil from this object, so they come after.
    messageDialogUtil = new MessageDialogUtil();
}

TevaroApp::~TevaroApp()
{
    stopThreads();
    waitForEndedThreads();
    delete pollTask.data();
    delete receiveTask.data();
    delete receiveThread.data();

    delete messageDialogUtil;
    delete userRoleUtil;
    delete jsonUtil;

    if (context->getApp() == this)
        context->setApp(nullptr);
    AppContext::release();
}

void TevaroApp::start()
{
    if (started)
        stopThreads();
    waitForEndedThreads();

    jsonUtil->clearRequests();
    jsonUtil->clearReceiveJSON();
    // Emptied before any thread of the session can write to it.
    jsonUtil->clear();

    startPolling();
    startReceiveTask();
    jsonUtil->requestIPTH();
    started = true;
}

void TevaroApp::stop()
{
    if (started)
        stopThreads();
    emit onLogout();
}

void TevaroApp::stopThreads()
{
    stopPolling();
    if (receiveRunning && receiveTask) {
        receiveTask->stop();
    }
    receiveRunning = false;
    started = false;
}

JSONUtil* TevaroApp::getJSONUtil()
{
    return jsonUtil;
}

UserRoleUtil* TevaroApp::getUserRoleUtil()
{
    return userRoleUtil;
}

MessageDialogUtil* TevaroApp::getMessageDialogUtil()
{
    return messageDialogUtil;
}

void TevaroApp::updateActivity(bool active)
{
    emit onUpdateActivity(active);
}

void TevaroApp::startPolling()
{
    const int interval = readInterval(QStringLiteral("Config/TevaroApp/PollTime"), 150);
    pollTask = new HTTPRequestPollTask(httpRequestUtil, jsonUtil, interval);
    connect(pollTask, SIGNAL(finished()), pollTask, SLOT(deleteLater()));
    pollTask->start(QThread::InheritPriority);
}

void TevaroApp::stopPolling()
{
    if (pollTask && pollTask->isRunning())
        pollTask->exit(0);
}

void TevaroApp::startReceiveTask()
{
    receiveThread = new QThread();
    const int interval = readInterval(QStringLiteral("Config/TevaroApp/UpdateTime"), 50);
    receiveTask = new ReceiveJSONTask(jsonUtil, interval);
    receiveTask->moveToThread(receiveThread);

    connect(receiveThread, SIGNAL(started()), receiveTask, SLOT(executeReceiveTask()));
    // quit() is thread-safe; calling it directly lets the thread end while the
    // GUI thread waits for it.
    connect(receiveTask, SIGNAL(finishedReceiveTask()), receiveThread, SLOT(quit()), Qt::DirectConnection);
    connect(receiveThread, SIGNAL(finished()), receiveTask, SLOT(deleteLater()));
    connect(receiveThread, SIGNAL(finished()), receiveThread, SLOT(deleteLater()));

    receiveThread->start(QThread::InheritPriority);
    receiveRunning = true;
}

void TevaroApp::waitForEndedThreads()
{
    if (pollTask && !pollTask->wait(THREAD_END_WAIT_MS))
        qWarning() << "Poll thread of the last session did not end in time";
    if (receiveThread && !receiveThread->wait(THREAD_END_WAIT_MS))
        qWarning() << "Receive thread of the last session did not end in time";
}

int TevaroApp::readInterval(const QString& key, int fallbackMs)
{
    const QString text = SettingsUtil::getValue(key, QVariant()).toString();
    if (text.isEmpty())
        return fallbackMs;
    return text.toInt();   // text that is no integer gives 0
}
