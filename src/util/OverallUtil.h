#pragma once

#include <QObject>

#include <atomic>

class JSONUtil;
class QSignalBlocker;
class SettingsUtil;
class TevaroApp;
class UserRoleUtil;

// Base of every screen worker: holds the device link, the user's rights, the
// settings store and the application object, passes the rights-changed
// notification on, and can block its own signals while the application is
// inactive.
//
// Without an application object (a worker built before it, or in a test) the
// device-link pointers stay null.
class OverallUtil : public QObject
{
    Q_OBJECT

public:
    explicit OverallUtil(QObject* parent = nullptr);
    ~OverallUtil() override;

    // On: the application's activity changes block and unblock this worker.
    void setBlockable(bool on);
    bool isBlocked() const;

public slots:
    // active false blocks this worker's signals, true restores them.
    void updateBlocking(bool active);
    void onUpdateRights();

signals:
    void updateRights();

protected:
    JSONUtil* jsonUtil;
    UserRoleUtil* userRoleUtil;
    SettingsUtil* settings;
    TevaroApp* app;

private:
    QSignalBlocker* blocker;
    std::atomic<bool> blocked;   // read by worker threads too
};
