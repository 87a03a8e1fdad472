#include "util/UserRoleUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/LogRedaction.h"
#include "common/ZZJSON.h"

#include <QtDebug>

#include <cmath>
#include <exception>
#include <limits>

namespace {

const Json::Value* objectMember(const Json::Value& value, const char* key)
{
    if (!value.isObject() || !value.isMember(key))
        return nullptr;
    const Json::Value& found = value[key];
    return found.isObject() ? &found : nullptr;
}

// The login token as text; empty when the value is no usable token.
QString tokenText(const Json::Value& value)
{
    if (value.isString())
        return QString::fromStdString(value.asString());
    if (value.isInt64())
        return QString::number(value.asInt64());
    if (value.isUInt64())
        return QString::number(value.asUInt64());
    if (value.isNumeric())
        return QString::fromStdString(value.asString());
    return QString();
}

} // namespace

UserRoleUtil::UserRoleUtil(QObject* parent)
    : QObject(parent),
      roleRights(0),
      deactivatedRights(0),
      measureRights(0),
      measurementRunning(false),
      userId(-1)
{
}

bool UserRoleUtil::readMask(const Json::Value& value, qint64& mask)
{
    if (value.isInt64()) {
        mask = value.asInt64();
        return true;
    }
    if (value.isUInt64()) {
        mask = static_cast<qint64>(value.asUInt64());   // bit 63 set: same bits
        return true;
    }
    return false;
}

void UserRoleUtil::checkAndSetLogin(const Json::Value& reply, bool& ok, QString& token)
{
    ok = false;
    if (!reply.isObject())
        return;
    userId = -1;   // only this answer's id counts: none is never an earlier user's

    try {
        const Json::Value* client = objectMember(reply, "CLNT");
        const Json::Value* rights = client ? objectMember(*client, "RIGT") : nullptr;
        if (rights) {
            readRight(*rights, "DACT", "Deactive-Right was not set during login! ", deactivatedRights, reply);
            readRight(*rights, "ROLE", "Role-Right was not set during login! ", roleRights, reply);
            readRight(*rights, "MEAS", "Measure-Right was not set during login! ", measureRights, reply);
        }

        const Json::Value* user = client ? objectMember(*client, "US") : nullptr;
        if (user) {
            const Json::Value& id = (*user)["ID"];
            if (id.isInt()) {
                userId = id.asInt();
            } else if (id.isNumeric()) {
                const double number = id.asDouble();
                if (std::isfinite(number) && number >= std::numeric_limits<int>::min()
                    && number <= std::numeric_limits<int>::max())
                    userId = static_cast<int>(number);
                else
                    qWarning().noquote() << "User id of the login answer is out of range.";
            }
            const Json::Value& name = (*user)["NAME"];
            if (name.isString())
                setUserName(QString::fromStdString(name.asString()));
        }

        const QString text = client && client->isMember("TOKN") ? tokenText((*client)["TOKN"]) : QString();
        if (text.isEmpty()) {
            reset();
            return;
        }
        token = text;
        ok = true;
    } catch (const std::exception& e) {
        qWarning().noquote() << "Login answer could not be evaluated:" << e.what();
        reset();
        ok = false;
    }
}

void UserRoleUtil::readRight(const Json::Value& rights, const char* key, const char* missingText,
                             std::atomic<qint64>& mask, const Json::Value& reply)
{
    qint64 value = 0;
    const Json::Value* right = objectMember(rights, key);
    if (right && right->isMember("AUT") && readMask((*right)["AUT"], value)) {
        mask = value;
        return;
    }
    // A missing or unusable mask keeps its earlier value.
    qWarning().noquote() << QString::fromLatin1(missingText)
                                + LogRedaction::forLog(ZZJSON::toStyledQString(reply));
}

int UserRoleUtil::checkRights(const qint64& mask)
{
    const quint64 uncovered = ~static_cast<quint64>(mask);
    // Without a deactivation mask (0: the login answer had none) nothing is
    // deactivated; otherwise every node would be.
    const quint64 deactivated = static_cast<quint64>(deactivatedRights.load());
    if (deactivated != 0 && (deactivated & uncovered) == 0)
        return DEACTIVATED;
    if ((static_cast<quint64>(roleRights.load()) & uncovered) != 0)
        return READ_ONLY;
    if (!measurementRunning)
        return EDITABLE;
    return (static_cast<quint64>(measureRights.load()) & uncovered) == 0 ? EDITABLE : READ_ONLY;
}

int UserRoleUtil::checkNodeRights(const Json::Value& node)
{
    if (!node.isObject())
        return NO_MASK;
    const Json::Value* input = objectMember(node, "INP");
    const Json::Value& owner = input ? *input : node;
    qint64 mask = 0;
    if (!owner.isMember("AUT") || !readMask(owner["AUT"], mask))
        return NO_MASK;
    return checkRights(mask);
}

void UserRoleUtil::setMeasurementRunning(const bool& running)
{
    if (measurementRunning.exchange(running) != running)
        emit updateRights();
}

void UserRoleUtil::setUserName(const QString& name)
{
    AnnotatedMutexLocker locker(&nameMutex);
    userName = name;
}

QString UserRoleUtil::getUserName()
{
    AnnotatedMutexLocker locker(&nameMutex);
    return userName;
}

void UserRoleUtil::reset()
{
    roleRights = 0;
    deactivatedRights = 0;
    measureRights = 0;
    measurementRunning = false;
    setUserName(QString());
    userId = -1;
}

QString UserRoleUtil::trimUserName(const QString& name)
{
    return name.trimmed();
}
