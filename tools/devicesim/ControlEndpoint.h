#pragma once

#include "AnswerStyle.h"
#include "DeviceMessages.h"
#include "DeviceState.h"
#include "FaultInjector.h"
#include "LiveTicker.h"
#include "RequestLog.h"
#include "SessionStore.h"

#include <httplib.h>

namespace devicesim {

// Test controls under /control/, served only with --control. Bodies and
// answers are JSON; a bad body gets 400 with {"error": text}.
//
//   POST /control/telegram[?apply=0]   body: a telegram or an array of them; applied to the
//                                      tree (unless apply=0) and sent through the change log
//                                      -> {"reqId": id of the last one}
//   POST /control/message[?raw=1][&login=1]
//                                      body: a device message or an array; completed unless raw;
//                                      sent through the change log, or kept for the next login
//                                      answer with login=1 -> {"messages": [...], "reqId": id}
//   GET  /control/answers              answers of clients to device messages -> [...]
//   POST /control/live                 body {"paused": bool} -> {"paused": bool}
//   POST /control/delay                body {"ms": n, "endpoint": "data"} (no endpoint: all; 0 ends it)
//   POST /control/failure              body {"mode": "status"|"empty"|"malformed", "count": n,
//                                      "status": 500, "endpoint": "config"} (no endpoint: any)
//   POST /control/faults/clear         ends every delay and failure
//   GET  /control/faults               delays and failures still pending
//   GET  /control/requests             the web-service requests received ->
//                                      [{"time","method","path","query","body"}, ...]
//   POST /control/requests/clear       empties that log
//   POST /control/echo                 body {"mode": "exact"|"entry"|"none"}: the echo of accepted
//                                      config writes -> {"mode"}
//   POST /control/reads                body {"emptyAsContainer": bool}: wildcard and filter reads
//                                      without hits answered with their container -> {"emptyAsContainer"}
//   GET  /control/tree?path=JSONPath   the device tree there -> {"paths": [...], "values": [...]}
//   GET  /control/state                -> {"reqId", "measuring", "paused", "sessions"}
//   GET  /control/log                  the simulator's recent log lines (LogBook) ->
//                                      [{"level": "info"|"warning"|..., "text"}, ...]
//   POST /control/log/clear            empties that log
class ControlEndpoint
{
public:
    ControlEndpoint(DeviceState& state, DeviceMessages& messages, FaultInjector& faults, RequestLog& requests,
                    LiveTicker& ticker, SessionStore& sessions, AnswerStyle& style);

    void registerRoutes(httplib::Server& server);

private:
    using BodyHandler = std::function<void(const httplib::Request&, const Json::Value& body, httplib::Response&)>;

    // Registers a POST route whose body must be JSON.
    void post(httplib::Server& server, const std::string& path, BodyHandler handler);

    void injectTelegram(const httplib::Request& request, const Json::Value& body, httplib::Response& response);
    void raiseMessage(const httplib::Request& request, const Json::Value& body, httplib::Response& response);
    void setFailure(const Json::Value& body, httplib::Response& response);
    void setEcho(const Json::Value& body, httplib::Response& response);
    void setReads(const Json::Value& body, httplib::Response& response);
    void readTree(const httplib::Request& request, httplib::Response& response);
    void readState(httplib::Response& response);

    DeviceState& state;
    DeviceMessages& messages;
    FaultInjector& faults;
    RequestLog& requests;
    LiveTicker& ticker;
    SessionStore& sessions;
    AnswerStyle& style;
};

} // namespace devicesim
