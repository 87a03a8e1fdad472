#include "util/HomeUtil.h"

#include "util/JSONUtil.h"
#include "util/RingBufferState.h"
#include "util/UserRoleUtil.h"

#include <json/json.h>

#include <QtDebug>

namespace {

const char* const USER_RIGHT_PATH = "$.USMG.AUT";

// True for "$.USMG.AUT" and the nodes above it ("$.USMG", "$"): a device that
// sends the whole user node changes the right as well.
bool concernsUserRight(const QString& path)
{
    const QString right = QLatin1String(USER_RIGHT_PATH);
    if (path == right)
        return true;
    return right.startsWith(path) && right.at(path.size()) == QLatin1Char('.');
}

} // namespace

HomeUtil::HomeUtil(QObject* parent)
    : OverallUtil(parent)
{
    GlobalEnums::registerMetaTypes();
    if (jsonUtil)
        connect(jsonUtil, SIGNAL(telegramAvailable(GlobalEnums::InstructionType,QString)), this,
                SLOT(jsonTelegramm(GlobalEnums::InstructionType,QString)));
    // The right depends on the masks and on whether a measurement runs.
    connect(this, SIGNAL(updateRights()), this, SLOT(rightsChanged()));
    getUserManagement();
    setBlockable(true);
}

void HomeUtil::getRingBuffer()
{
    int state = 0;
    if (readRingBufferState(jsonUtil, state))
        emit updateRingBuffer(state);
}

void HomeUtil::getUserManagement()
{
    if (!jsonUtil || !userRoleUtil)
        return;
    Json::Value value;
    jsonUtil->getMasterJSONbyPath(QLatin1String(USER_RIGHT_PATH), value, true);
    if (value.isNull())
        return;   // not known yet: asked for, and its notification comes back here
    qint64 mask = 0;
    if (!UserRoleUtil::readMask(value, mask)) {
        qWarning().noquote() << "The user-management right" << USER_RIGHT_PATH
                             << "is no whole 64-bit number; user management stays off";
        emit updateUserManagment(false);
        return;
    }
    emit updateUserManagment(userRoleUtil->checkRights(mask) == UserRoleUtil::EDITABLE);
}

void HomeUtil::jsonTelegramm(GlobalEnums::InstructionType type, QString path)
{
    Q_UNUSED(type)
    if (path == QLatin1String(RING_BUFFER_PATH))
        emit updateRingBuffer();
    else if (concernsUserRight(path))
        getUserManagement();
}

void HomeUtil::rightsChanged()
{
    getUserManagement();
}
