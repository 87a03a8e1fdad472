#include "util/OverallUtil.h"

#include "util/AppContext.h"
#include "util/SettingsUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"

#include <QSignalBlocker>

OverallUtil::OverallUtil(QObject* parent)
    : QObject(parent),
      jsonUtil(nullptr),
      userRoleUtil(nullptr),
      settings(nullptr),
      app(nullptr),
      blocker(nullptr),
      blocked(false)
{
    app = AppContext::get()->getApp();
    if (app) {
        jsonUtil = app->getJSONUtil();
        userRoleUtil = app->getUserRoleUtil();
        if (userRoleUtil)
            connect(userRoleUtil, SIGNAL(updateRights()), this, SLOT(onUpdateRights()));
    }
    AppContext::release();
    settings = SettingsUtil::instance();
}

OverallUtil::~OverallUtil()
{
    delete blocker;
}

void OverallUtil::setBlockable(bool on)
{
    if (!app)
        return;
    if (on)
        connect(app, SIGNAL(onUpdateActivity(bool)), this, SLOT(updateBlocking(bool)),
                Qt::ConnectionType(Qt::DirectConnection | Qt::UniqueConnection));
    else
        disconnect(app, SIGNAL(onUpdateActivity(bool)), this, SLOT(updateBlocking(bool)));
}

bool OverallUtil::isBlocked() const
{
    return blocked;
}

void OverallUtil::updateBlocking(bool active)
{
    if (!active) {
        if (blocked)
            return;
        blocked = true;
        blocker = new QSignalBlocker(this);
        return;
    }
    delete blocker;   // restores the state from before the blocking
    blocker = nullptr;
    blocked = false;
}

void OverallUtil::onUpdateRights()
{
    emit updateRights();
}
