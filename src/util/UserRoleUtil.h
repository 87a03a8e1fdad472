#pragma once

#include <json/json.h>

#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>

// Who is logged in and what that user may do: the token, id and name from the
// login answer, and three 64-bit right masks compared with the "AUT" mask of a
// node of the device tree. Only the masks' bits matter, never their sign.
//
// Lives in the GUI thread; checkNodeRights is also called from builder threads
// and setMeasurementRunning from the chart's feed, so the state is atomic.
class UserRoleUtil : public QObject
{
    Q_OBJECT

public:
    enum Rights {
        NO_MASK = 0,       // the node carries no usable mask
        EDITABLE = 1,
        READ_ONLY = 2,
        DEACTIVATED = 3
    };

    explicit UserRoleUtil(QObject* parent = nullptr);

    // Evaluates a login answer; ok tells whether the login succeeded, and then
    // token holds the login token.
    void checkAndSetLogin(const Json::Value& reply, bool& ok, QString& token);
    int checkRights(const qint64& mask);
    // Rights for a node carrying "AUT" (or "INP"."AUT", which takes precedence).
    int checkNodeRights(const Json::Value& node);
    void setMeasurementRunning(const bool& running);

    void setUserName(const QString& name);
    QString getUserName();
    int getUserId() const { return userId; }
    void reset();
    static QString trimUserName(const QString& name);

    // A right mask as sent by the device, signed or unsigned 64-bit; false
    // when value is no such number.
    static bool readMask(const Json::Value& value, qint64& mask);

signals:
    void updateRights();

private:
    void readRight(const Json::Value& rights, const char* key, const char* missingText,
                   std::atomic<qint64>& mask, const Json::Value& reply);

    std::atomic<qint64> roleRights;
    std::atomic<qint64> deactivatedRights;
    std::atomic<qint64> measureRights;
    std::atomic<bool> measurementRunning;
    QMutex nameMutex;   // guards userName
    QString userName;
    std::atomic<int> userId;
};
