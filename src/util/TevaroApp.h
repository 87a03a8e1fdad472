#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <atomic>

class AppContext;
class HTTPRequestPollTask;
class HTTPRequestUtil;
class JSONUtil;
class MainWindow;
class MessageDialogUtil;
class QThread;
class ReceiveJSONTask;
class UserLogin;
class UserRoleUtil;

// The application object: applies the style sheets and the font, creates the
// device link, the rights, the message worker and the main window, starts the
// poll and receive threads after a successful login and stops them at logout.
// Every worker reaches it through the context holder.
class TevaroApp : public QObject
{
    Q_OBJECT

public:
    static const int DEFAULT_POLL_MS = 150;
    static const int DEFAULT_UPDATE_MS = 50;
    // Longest wait for queued message answers, and for the logout answer.
    static const int SHUTDOWN_WAIT_MS = 2000;

    explicit TevaroApp(QObject* parent = nullptr);
    // Stops the threads of a running session and waits for them.
    ~TevaroApp() override;

    // Starts communication after a successful login: empty queue, received
    // list and mirror, "$.IPTH" requested, then the poll and receive threads.
    void start();
    // Ends communication if it runs: message answers still queued go out
    // first (bounded wait), then both threads are stopped and waited for.
    // Always emits onLogout(). A call while a stop is under way is ignored.
    void stop();
    // Waits (bounded) until the logout request of the last stop() has its
    // answer; used before the process ends. Nothing to wait for when no
    // logout was sent. Counts as stopping while it waits.
    void waitForLogoutAnswer(int timeoutMs = SHUTDOWN_WAIT_MS);

    JSONUtil* getJSONUtil();
    UserRoleUtil* getUserRoleUtil();
    MessageDialogUtil* getMessageDialogUtil();
    MainWindow* getMainWindow();
    bool isStarted() const;
    // A session is being ended: stop() waits for message answers or the
    // threads, or waitForLogoutAnswer() for the device. No login may start.
    bool isStopping() const;
    // Number of the login session; it changes at every stop(), so messages of
    // an ended session can be told apart. Safe from any thread.
    quint64 getSession() const;
    // The running poll thread's interval; 0 when none runs.
    int getPollIntervalMs() const;

    // The poll and update intervals from the settings: empty gives the
    // default, anything but a whole number above 0 the default with a warning.
    static int readInterval(const QString& key, int fallbackMs);

public slots:
    void updateActivity(bool active);

signals:
    void onLogout();
    void onUpdateActivity(bool active);
    // The device refused the session with configuration writes left behind;
    // each entry as its screen named it, else its path: notWritten surely did
    // not reach it, notConfirmed may have (JSONUtil::takeUnwrittenWrites).
    // Emitted after onLogout(), with the login page up.
    void valuesNotWritten(QStringList notWritten, QStringList notConfirmed);

private slots:
    void logoutAnswerArrived();
    // The device no longer accepts the session's token: the session ends.
    void sessionRefused();

private:
    static void loadStyleSheet();
    static void setApplicationFont();
    UserLogin* createMainWindow();
    void startPolling();
    void stopPolling();
    void startReceiveTask();
    void stopThreads();
    // Lets the poll thread send the answers to device messages still queued.
    void flushMessageAnswers(int timeoutMs);
    // Waits until the threads of an ended session have finished, so nothing
    // of it can reach the next session's queue, list or mirror.
    void waitForEndedThreads();

    MainWindow* mainWindow;
    JSONUtil* jsonUtil;
    UserRoleUtil* userRoleUtil;
    HTTPRequestUtil* httpRequestUtil;
    QPointer<HTTPRequestPollTask> pollTask;   // deletes itself when finished
    QPointer<QThread> receiveThread;          // deletes itself when finished
    QPointer<ReceiveJSONTask> receiveTask;    // deleted when its thread finishes
    bool started;
    bool receiveRunning;
    AppContext* context;                      // reference held for the object's lifetime
    MessageDialogUtil* messageDialogUtil;
    bool stopping;                            // a stop() is waiting
    bool logoutSent;                          // the last stop() ended a session with a token
    bool logoutAnswered;                      // the logout request has been answered (or failed)
    std::atomic<quint64> session;
};
