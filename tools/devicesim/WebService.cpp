#include "WebService.h"

#include "JsonText.h"
#include "LastLogin.h"
#include "LiveTicker.h"
#include "SecretMask.h"

#include <QtGlobal>

#include <chrono>

namespace devicesim {

namespace {

const char* const jsonType = "application/json";
const char* const endpoints[] = {"path", "config", "measure", "export", "user"};

std::string queryOf(const httplib::Request& request)
{
    const auto mark = request.target.find('?');
    return mark == std::string::npos ? std::string() : request.target.substr(mark + 1);
}

bool parseRequestId(const std::string& text, std::int64_t& id)
{
    try {
        std::size_t used = 0;
        const long long parsed = std::stoll(text, &used);
        if (used != text.size())
            return false;
        id = parsed;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

std::string readBody(const httplib::ContentReader& reader)
{
    std::string body;
    reader([&body](const char* data, std::size_t length) {
        body.append(data, length);
        return true;
    });
    return body;
}

WebService::WebService(DeviceState& state, SessionStore& sessions, TelegramProcessor& processor,
                       DeviceMessages& messages, FaultInjector& faults, RequestLog& requests)
    : state(state), sessions(sessions), processor(processor), messages(messages), faults(faults), requests(requests)
{
}

void WebService::registerRoutes(httplib::Server& server)
{
    // Content-reader handlers: the server would refuse form-encoded bodies
    // over 8 KB before a plain handler runs.
    server.Post("/webservice/login", [this](const httplib::Request& request, httplib::Response& response,
                                            const httplib::ContentReader& reader) {
        const std::string body = readBody(reader);
        if (admit("login", request, body, response))
            login(request, response, body);
    });
    server.Post("/webservice/logout", [this](const httplib::Request& request, httplib::Response& response,
                                             const httplib::ContentReader& reader) {
        const std::string body = readBody(reader);
        if (admit("logout", request, body, response))
            logout(request, response);
    });
    for (const char* endpoint : endpoints) {
        const std::string name = endpoint;
        server.Post("/webservice/" + name, [this, name](const httplib::Request& request, httplib::Response& response,
                                                        const httplib::ContentReader& reader) {
            const std::string body = readBody(reader);
            if (admit(name, request, body, response))
                telegram(name, request, response, body);
        });
    }
    server.Get("/webservice/data", [this](const httplib::Request& request, httplib::Response& response) {
        if (admit("data", request, std::string(), response))
            data(request, response);
    });
}

bool WebService::admit(const std::string& endpoint, const httplib::Request& request, const std::string& body,
                       httplib::Response& response)
{
    requests.record({nowMs(), request.method, request.path, queryOf(request), body});
    const FaultInjector::Fault fault = faults.take(endpoint, body);
    if (fault.delayMs > 0) {
        std::unique_lock<std::mutex> guard(delayMutex);
        delayWake.wait_for(guard, std::chrono::milliseconds(fault.delayMs), [this] { return stopping; });
    }
    switch (fault.failure) {
    case FaultInjector::Failure::None:
        return true;
    case FaultInjector::Failure::Status:
        response.status = fault.status;
        response.set_content("Injected failure", "text/plain");
        break;
    case FaultInjector::Failure::EmptyBody:
        response.status = 200;
        break;
    case FaultInjector::Failure::MalformedBody:
        response.status = 200;
        response.set_content("{\"ReqID\":1,\"ReqContent\":[{\"INST\":{\"SET\":", jsonType);
        break;
    }
    qInfo("Injected fault answers %s %s", request.method.c_str(), request.path.c_str());
    return false;
}

void WebService::stop()
{
    {
        std::lock_guard<std::mutex> guard(delayMutex);
        stopping = true;
    }
    delayWake.notify_all();
}

bool WebService::authorise(const httplib::Request& request, httplib::Response& response,
                           TelegramProcessor::Context& session)
{
    session.token = request.get_param_value("TOKN");
    if (sessions.isValid(session.token, &session.user, &session.client))
        return true;
    qInfo("%s %s refused: unknown token \"%s\"", request.method.c_str(), request.path.c_str(),
          request.get_param_value("TOKN").c_str());
    response.status = 401;
    return false;
}

void WebService::login(const httplib::Request&, httplib::Response& response, const std::string& body)
{
    Json::Value credentials;
    std::string error;
    if (!parseJson(body, credentials, &error) || !credentials.isObject()) {
        qWarning("Login body is not a JSON object (%s): %s", error.c_str(),
                 SecretMask::ofText(body.substr(0, 200)).c_str());
        response.status = 400;
        return;
    }
    const Json::Value& name = memberOf(credentials, "USER");
    const Json::Value& password = memberOf(credentials, "PASS");

    Json::Value userList;
    {
        auto device = state.lock();
        userList = device.tree().valueAt("$.USMG.USLI");
    }
    Json::Value answer(Json::objectValue);
    answer["CLNT"] = sessions.login(name.isString() ? name.asString() : std::string(),
                                    password.isString() ? password.asString() : std::string(), userList);
    if (answer["CLNT"].isMember("TOKN")) {
        {
            auto device = state.lock();
            LastLogin::record(device, answer["CLNT"]["US"]["ID"], nowMs());
        }
        const Json::Value waiting = messages.takeLoginMessages();
        if (!waiting.empty())
            answer["INST"]["SET"]["MSG"] = waiting;
    }
    response.set_content(toCompactText(answer), jsonType);
}

void WebService::logout(const httplib::Request& request, httplib::Response& response)
{
    TelegramProcessor::Context session;
    if (authorise(request, response, session))
        sessions.logout(session.token);
}

void WebService::telegram(const std::string& endpoint, const httplib::Request& request, httplib::Response& response,
                          const std::string& body)
{
    TelegramProcessor::Context session;
    if (!authorise(request, response, session))
        return;
    Json::Value telegram;
    std::string error;
    if (!parseJson(body, telegram, &error)) {
        qWarning("%s: body is not JSON (%s): %s", request.path.c_str(), error.c_str(),
                 SecretMask::ofText(body.substr(0, 200)).c_str());
        response.status = 400;
        return;
    }
    session.endpoint = endpoint;
    processor.process(telegram, session);
}

void WebService::data(const httplib::Request& request, httplib::Response& response)
{
    TelegramProcessor::Context session;
    if (!authorise(request, response, session))
        return;
    std::int64_t requestId = -1;
    if (!parseRequestId(request.get_param_value("REQID"), requestId))
        qWarning("Data request with the REQID \"%s\" answered as a first request",
                 request.get_param_value("REQID").c_str());

    Json::Value answer(Json::objectValue);
    answer["ReqContent"] = Json::Value(Json::arrayValue);
    {
        auto device = state.lock();
        device.log().newerThan(requestId, session.token, answer["ReqContent"]);
        answer["ReqID"] = Json::Int64(device.log().currentId());
    }
    response.set_content(toCompactText(answer), jsonType);
}

} // namespace devicesim
