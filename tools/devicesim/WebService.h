#pragma once

#include "DeviceMessages.h"
#include "DeviceState.h"
#include "FaultInjector.h"
#include "RequestLog.h"
#include "SessionStore.h"
#include "TelegramProcessor.h"

#include <httplib.h>

#include <condition_variable>
#include <mutex>
#include <string>

namespace devicesim {

// The instrument's web service under /webservice/:
//   POST login                     body {"USER","PASS"}; answer {"CLNT":{...}} (no "TOKN" when refused),
//                                  with device messages waiting for a login under "INST"; the
//                                  user's $.USMG.USLI[i].LAST.DU becomes now (LastLogin)
//   POST logout?TOKN=t             ends the session
//   POST path|config|measure|export|user?TOKN=t
//                                  body a telegram; answer empty, the device's answers follow in data
//                                  (answers to reads for the asking client only)
//   GET  data?TOKN=t&REQID=n       {"ReqID": current id, "ReqContent": [change telegrams after n]}
// POST bodies are raw JSON although they are sent form-encoded. An unknown
// token gets 401. Every request is recorded and may meet an injected fault.
// A body that is not JSON is logged with its passwords masked.
class WebService
{
public:
    WebService(DeviceState& state, SessionStore& sessions, TelegramProcessor& processor, DeviceMessages& messages,
               FaultInjector& faults, RequestLog& requests);

    void registerRoutes(httplib::Server& server);
    // Cuts injected delays short, so that the server can stop at once.
    void stop();

private:
    void login(const httplib::Request& request, httplib::Response& response, const std::string& body);
    void logout(const httplib::Request& request, httplib::Response& response);
    void telegram(const std::string& endpoint, const httplib::Request& request, httplib::Response& response,
                  const std::string& body);
    void data(const httplib::Request& request, httplib::Response& response);

    // Records the request and plays an injected fault; false when the fault
    // answered the request already.
    bool admit(const std::string& endpoint, const httplib::Request& request, const std::string& body,
               httplib::Response& response);
    // The session of the request's token; false (and 401) when unknown.
    bool authorise(const httplib::Request& request, httplib::Response& response, TelegramProcessor::Context& session);

    DeviceState& state;
    SessionStore& sessions;
    TelegramProcessor& processor;
    DeviceMessages& messages;
    FaultInjector& faults;
    RequestLog& requests;

    std::mutex delayMutex;
    std::condition_variable delayWake;
    bool stopping = false;   // guarded by delayMutex
};

// The whole body of a request handled with a content reader.
std::string readBody(const httplib::ContentReader& reader);

} // namespace devicesim
