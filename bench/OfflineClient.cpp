#include "OfflineClient.h"

#include "GuiApplication.h"

#include "util/JSONUtil.h"
#include "util/TevaroApp.h"
#include "util/UserRoleUtil.h"

#include <QString>

namespace tevarobench {

std::unique_ptr<TevaroApp> offlineClient(bool administrator)
{
    guiApplication();   // settings and language files in a folder of its own
    std::unique_ptr<TevaroApp> app(new TevaroApp());
    if (administrator) {
        Json::Value answer;
        Json::Reader().parse(R"({"CLNT":{"TOKN":"t","RIGT":{"ROLE":{"AUT":1},"DACT":{"AUT":256},"MEAS":{"AUT":65536}}}})",
                             answer);
        bool ok = false;
        QString token;
        app->getUserRoleUtil()->checkAndSetLogin(answer, ok, token);
    }
    return app;
}

void appendTree(JSONUtil* json, const Json::Value& tree)
{
    for (const std::string& key : tree.getMemberNames())
        json->appendJson(tree[key], QString::fromStdString("$." + key));
}

} // namespace tevarobench
