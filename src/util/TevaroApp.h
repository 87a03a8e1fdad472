#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class HTTPRequestPollTask;
class HTTPRequestUtil;
class JSONUtil;
class AppContext;
class MainWindow;
class MessageDialogUtil;
class QThread;
class ReceiveJSONTask;
class UserRoleUtil;

// The application object: creates the device link, the rights and the message
// worker, starts the poll and receive threads after a successful login and
// stops them at logout. Every worker reaches it through the context holder.
class TevaroApp : public QObject
{
    Q_OBJECT

public:
    explicit TevaroApp(QObject* parent = nullptr);
    // Stops the threads of a running session and waits for them.
    ~TevaroApp() override;

    // Starts communication after a successful login: empty queue, received list
    // and mirror, poll and receive threads running, "$.IPTH" requested.
    void start();
    // Stops communication if it runs; always emits onLogout().
    void stop();

    JSONUtil* getJSONUtil();
    UserRoleUtil* getUserRoleUtil();
    MessageDialogUtil* getMessageDialogUtil();

public slots:
    void updateActivity(bool active);

signals:
    void onLogout();
    void onUpdateActivity(bool active);

private:
    void startPolling();
    void stopPolling();
    void startReceiveTask();
    void stopThreads();
    // Waits until the threads of an ended session have finished, so nothing
    // of it can reach the next session's queue, list or mirror.
    void waitForEndedThreads();
    static int readInterval(const QString& key, int fallbackMs);

    [[maybe_unused]] MainWindow* mainWindow;   // set by the window layer
    JSONUtil* jsonUtil;
    UserRoleUtil* userRoleUtil;
    HTTPRequestUtil* httpRequestUtil;
    QPointer<HTTPRequestPollTask> pollTask;   // deletes itself when finished
    QPointer<QThread> receiveThread;          // deletes itself when finished
    QPointer<ReceiveJSONTask> receiveTask;    // deleted when its thread finishes
    bool started;
    bool receiveRunning;
    AppContext* context;   // reference held for the object's lifetime
    MessageDialogUtil* messageDialogUtil;
};
