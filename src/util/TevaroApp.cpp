#include "util/TevaroApp.h"

#include "common/ThreadHandOver.h"
#include "util/AppContext.h"
#include "util/HTTPRequestPollTask.h"
#include "util/HTTPRequestUtil.h"
#include "util/JSONUtil.h"
#include "util/MessageDialogUtil.h"
#include "util/ReceiveJSONTask.h"
#include "util/SettingsUtil.h"
#include "util/StatusMessageSink.h"
#include "util/UserRoleUtil.h"
#include "view/MainWindow.h"
#include "widgets/TevaroResources.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QtDebug>

#include <functional>

namespace {

const unsigned long THREAD_END_WAIT_MS = 10000;
const int WAIT_STEP_MS = 10;
const int TEXT_SESSION_REFUSED = 1457;
const QString SESSION_REFUSED_DEFAULT = QStringLiteral("Die Sitzung wurde vom Gerät beendet. Bitte erneut anmelden.");

QString readSheet(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    return stream.readAll();
}

// Runs the GUI thread's events until done() or timeoutMs passed; true when done.
bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(WAIT_STEP_MS, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

} // namespace

TevaroApp::TevaroApp(QObject* parent)
    : QObject(parent),
      mainWindow(nullptr),
      jsonUtil(nullptr),
      userRoleUtil(nullptr),
      httpRequestUtil(nullptr),
      started(false),
      receiveRunning(false),
      context(AppContext::get()),
      messageDialogUtil(nullptr),
      stopping(false),
      logoutSent(false),
      logoutAnswered(false),
      session(1)
{
    const bool withWidgets = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    ensureTevaroResources();
    if (withWidgets) {
        loadStyleSheet();
        setApplicationFont();
    }

    context->setApp(this);

    jsonUtil = new JSONUtil();
    userRoleUtil = new UserRoleUtil();
    httpRequestUtil = jsonUtil->getHTTPRequestUtil();
    connect(httpRequestUtil, SIGNAL(logoutFinished()), this, SLOT(logoutAnswerArrived()));
    connect(httpRequestUtil, SIGNAL(tokenRejected()), this, SLOT(sessionRefused()));

    // Workers take JSONUtil and UserRoleUtil from this object, so they come after.
    messageDialogUtil = new MessageDialogUtil();

    if (withWidgets)
        createMainWindow();
    else
        qInfo() << "No widget application: the main window is not created";
}

TevaroApp::~TevaroApp()
{
    stopThreads();
    waitForEndedThreads();
    delete pollTask.data();
    delete receiveTask.data();
    delete receiveThread.data();

    if (context->getMainWindow() == mainWindow)
        context->setMainWindow(nullptr);
    // The pages' workers use the device link: the window goes first.
    delete mainWindow;
    delete messageDialogUtil;
    delete userRoleUtil;
    delete jsonUtil;

    if (context->getApp() == this)
        context->setApp(nullptr);
    AppContext::release();
}

void TevaroApp::loadStyleSheet()
{
    const QString sheet = readSheet(QStringLiteral(":/qss/TevaroApp.qss"))
                          + readSheet(QStringLiteral(":/qss/TevaroApp_Desktop.qss"));
    qApp->setStyleSheet(sheet);
}

void TevaroApp::setApplicationFont()
{
    QFont font = QApplication::font();
    font.setPointSize(12);
    font.setStyleStrategy(QFont::PreferAntialias);
    QApplication::setFont(font);
}

UserLogin* TevaroApp::createMainWindow()
{
    mainWindow = new MainWindow(this, nullptr);
    connect(mainWindow, SIGNAL(updateAppActivity(bool)), this, SLOT(updateActivity(bool)));
    context->setMainWindow(mainWindow);
    mainWindow->setPage(0);
    mainWindow->show();
    return mainWindow->getLoginPage();
}

void TevaroApp::start()
{
    if (started)
        stopThreads();
    waitForEndedThreads();

    // Everything of the last session goes before any thread of the new one
    // runs; the notice that the device ended it is no longer true.
    StatusMessageSink::withdrawText(TEXT_SESSION_REFUSED, SESSION_REFUSED_DEFAULT, {});
    messageDialogUtil->takeAnswersQueued();
    jsonUtil->clearRequests();
    jsonUtil->clearReceiveJSON();
    jsonUtil->clear();
    jsonUtil->requestIPTH();

    startPolling();
    startReceiveTask();
    started = true;
}

void TevaroApp::stop()
{
    if (stopping)
        return;
    stopping = true;
    if (started) {
        if (messageDialogUtil->takeAnswersQueued())
            flushMessageAnswers(SHUTDOWN_WAIT_MS);
        stopThreads();
        waitForEndedThreads();
    }
    ++session;
    // The logout itself is sent by the receivers of onLogout().
    const bool hadToken = !jsonUtil->getToken().isEmpty();
    logoutAnswered = false;
    emit onLogout();
    logoutSent = hadToken && jsonUtil->getToken().isEmpty();
    stopping = false;
}

void TevaroApp::stopThreads()
{
    stopPolling();
    if (receiveRunning && receiveTask)
        receiveTask->stop();
    receiveRunning = false;
    started = false;
}

void TevaroApp::flushMessageAnswers(int timeoutMs)
{
    // The queue goes out in order, so the answers are sent once it is empty.
    auto answersSent = [this]() {
        return jsonUtil->getRequestCount() == 0 || !pollTask || !pollTask->isRunning();
    };
    if (!waitUntil(answersSent, timeoutMs))
        qWarning() << "Answers to device messages could not be sent before the logout";
}

void TevaroApp::logoutAnswerArrived()
{
    logoutAnswered = true;
}

void TevaroApp::sessionRefused()
{
    if (!started || stopping)
        return;
    qWarning() << "The device refused the session token (HTTP 401): the session ends";
    StatusMessageSink::postText(TEXT_SESSION_REFUSED, SESSION_REFUSED_DEFAULT, {}, SEVERITY_ERROR, 10000);
    stop();
    // The session's threads have ended: nothing of it is dropped or sent any more.
    const JSONUtil::UnwrittenWrites unwritten = jsonUtil->takeUnwrittenWrites();
    if (unwritten.notWritten.isEmpty() && unwritten.notConfirmed.isEmpty())
        return;
    qWarning().noquote() << "Values not written to the device before it ended the session:"
                         << unwritten.notWritten.join(QStringLiteral(", "))
                         << "- values it did not confirm:" << unwritten.notConfirmed.join(QStringLiteral(", "));
    emit valuesNotWritten(unwritten.notWritten, unwritten.notConfirmed);
}

void TevaroApp::waitForLogoutAnswer(int timeoutMs)
{
    if (!logoutSent || stopping)
        return;
    logoutSent = false;
    // Still ending the session: no new one may begin during the wait.
    stopping = true;
    if (!waitUntil([this]() { return logoutAnswered; }, timeoutMs))
        qWarning() << "The device did not answer the logout in time";
    stopping = false;
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

MainWindow* TevaroApp::getMainWindow()
{
    return mainWindow;
}

bool TevaroApp::isStarted() const
{
    return started;
}

bool TevaroApp::isStopping() const
{
    return stopping;
}

quint64 TevaroApp::getSession() const
{
    return session.load();
}

int TevaroApp::getPollIntervalMs() const
{
    return pollTask ? pollTask->getIntervalMs() : 0;
}

void TevaroApp::updateActivity(bool active)
{
    emit onUpdateActivity(active);
}

void TevaroApp::startPolling()
{
    const int interval = readInterval(QStringLiteral("Config/TevaroApp/PollTime"), DEFAULT_POLL_MS);
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
    const int interval = readInterval(QStringLiteral("Config/TevaroApp/UpdateTime"), DEFAULT_UPDATE_MS);
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
    if (pollTask && !waitForThread(pollTask, THREAD_END_WAIT_MS))
        qWarning() << "Poll thread of the last session did not end in time";
    if (receiveThread && !waitForThread(receiveThread, THREAD_END_WAIT_MS))
        qWarning() << "Receive thread of the last session did not end in time";
}

int TevaroApp::readInterval(const QString& key, int fallbackMs)
{
    const QString text = SettingsUtil::getValue(key, QVariant()).toString().trimmed();
    if (text.isEmpty())
        return fallbackMs;
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok && value > 0)
        return value;
    qWarning().noquote() << QStringLiteral("Setting %1 = \"%2\" is no whole number above 0; %3 ms are used")
                                .arg(key, text)
                                .arg(fallbackMs);
    return fallbackMs;
}
