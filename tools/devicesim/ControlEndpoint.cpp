#include "ControlEndpoint.h"

#include "JsonText.h"
#include "LogBook.h"
#include "MeasurementControl.h"
#include "SecretMask.h"
#include "WebService.h"

#include <QtGlobal>

namespace devicesim {

namespace {

const char* const jsonType = "application/json";

void answer(httplib::Response& response, const Json::Value& value)
{
    response.set_content(toCompactText(value), jsonType);
}

void refuse(httplib::Response& response, const std::string& error)
{
    qWarning("Control request refused: %s", error.c_str());
    Json::Value value(Json::objectValue);
    value["error"] = error;
    response.status = 400;
    answer(response, value);
}

bool flag(const httplib::Request& request, const char* name)
{
    const std::string value = request.get_param_value(name);
    return value == "1" || value == "true";
}

} // namespace

ControlEndpoint::ControlEndpoint(DeviceState& state, DeviceMessages& messages, FaultInjector& faults,
                                 RequestLog& requests, LiveTicker& ticker, SessionStore& sessions,
                                 AnswerStyle& style)
    : state(state), messages(messages), faults(faults), requests(requests), ticker(ticker), sessions(sessions),
      style(style)
{
}

void ControlEndpoint::post(httplib::Server& server, const std::string& path, BodyHandler handler)
{
    server.Post(path, [handler](const httplib::Request& request, httplib::Response& response,
                                const httplib::ContentReader& reader) {
        const std::string text = readBody(reader);
        Json::Value body;
        std::string error;
        if (!text.empty() && !parseJson(text, body, &error)) {
            refuse(response, "body is not JSON: " + error);
            return;
        }
        handler(request, body, response);
    });
}

void ControlEndpoint::registerRoutes(httplib::Server& server)
{
    using Request = httplib::Request;
    using Response = httplib::Response;

    post(server, "/control/telegram", [this](const Request& request, const Json::Value& body, Response& response) {
        injectTelegram(request, body, response);
    });
    post(server, "/control/message", [this](const Request& request, const Json::Value& body, Response& response) {
        raiseMessage(request, body, response);
    });
    server.Get("/control/answers", [this](const Request&, Response& response) { answer(response, messages.answers()); });

    post(server, "/control/live", [this](const Request&, const Json::Value& body, Response& response) {
        if (!memberOf(body, "paused").isBool())
            return refuse(response, "needs {\"paused\": true or false}");
        const bool wasPaused = ticker.isPaused();
        ticker.setPaused(body["paused"].asBool());
        if (ticker.isPaused() != wasPaused)
            qInfo("Live values %s", ticker.isPaused() ? "paused" : "running");
        Json::Value result(Json::objectValue);
        result["paused"] = ticker.isPaused();
        answer(response, result);
    });
    post(server, "/control/delay", [this](const Request&, const Json::Value& body, Response& response) {
        if (!memberOf(body, "ms").isInt() || (body.isMember("endpoint") && !body["endpoint"].isString()))
            return refuse(response, "needs {\"ms\": integer, \"endpoint\": optional text}");
        faults.setDelay(body["ms"].asInt(), memberOf(body, "endpoint").asString());
        answer(response, faults.toJson());
    });
    post(server, "/control/failure", [this](const Request&, const Json::Value& body, Response& response) {
        setFailure(body, response);
    });
    post(server, "/control/faults/clear", [this](const Request&, const Json::Value&, Response& response) {
        faults.clear();
        answer(response, faults.toJson());
    });
    server.Get("/control/faults", [this](const Request&, Response& response) { answer(response, faults.toJson()); });

    server.Get("/control/requests", [this](const Request&, Response& response) { answer(response, requests.toJson()); });
    post(server, "/control/requests/clear", [this](const Request&, const Json::Value&, Response& response) {
        requests.clear();
        answer(response, Json::Value(Json::objectValue));
    });

    post(server, "/control/echo", [this](const Request&, const Json::Value& body, Response& response) {
        setEcho(body, response);
    });
    post(server, "/control/reads", [this](const Request&, const Json::Value& body, Response& response) {
        setReads(body, response);
    });

    server.Get("/control/tree", [this](const Request& request, Response& response) { readTree(request, response); });
    server.Get("/control/state", [this](const Request&, Response& response) { readState(response); });
    server.Get("/control/log", [](const Request&, Response& response) { answer(response, LogBook::lines()); });
    post(server, "/control/log/clear", [](const Request&, const Json::Value&, Response& response) {
        LogBook::clear();
        answer(response, Json::Value(Json::objectValue));
    });
}

void ControlEndpoint::injectTelegram(const httplib::Request& request, const Json::Value& body,
                                     httplib::Response& response)
{
    if (!body.isObject() && !body.isArray())
        return refuse(response, "needs a telegram or an array of telegrams");
    Json::Value telegrams = body;
    if (body.isObject()) {
        telegrams = Json::Value(Json::arrayValue);
        telegrams.append(body);
    }
    const bool applyToTree = request.get_param_value("apply") != "0";

    Json::Value result(Json::objectValue);
    auto device = state.lock();
    for (const Json::Value& telegram : telegrams) {
        // A telegram the tree cannot take (tests send broken ones on purpose) still goes out.
        if (applyToTree && (!telegram.isObject() || !device.tree().apply(telegram)))
            qInfo("Injected telegram not applied to the tree: %s", SecretMask::logText(telegram).c_str());
        result["reqId"] = Json::Int64(device.publish(telegram));
    }
    answer(response, result);
}

void ControlEndpoint::raiseMessage(const httplib::Request& request, const Json::Value& body,
                                   httplib::Response& response)
{
    const bool raw = flag(request, "raw");
    const Json::Value& given = body.isNull() ? Json::Value(Json::objectValue) : body;
    Json::Value result(Json::objectValue);
    if (flag(request, "login")) {
        result["messages"] = messages.raiseAtLogin(given, raw);
    } else {
        auto device = state.lock();
        result["messages"] = messages.raise(device, given, raw);
        result["reqId"] = Json::Int64(device.log().currentId());
    }
    answer(response, result);
}

void ControlEndpoint::setFailure(const Json::Value& body, httplib::Response& response)
{
    FaultInjector::Failure failure = FaultInjector::Failure::None;
    if (!FaultInjector::failureFromName(memberOf(body, "mode").asString(), failure))
        return refuse(response, "needs \"mode\": \"status\", \"empty\" or \"malformed\"");
    const Json::Value& count = memberOf(body, "count");
    const Json::Value& status = memberOf(body, "status");
    const Json::Value& endpoint = memberOf(body, "endpoint");
    const Json::Value& contains = memberOf(body, "contains");
    if ((!count.isNull() && !count.isInt()) || (!status.isNull() && !status.isInt())
        || (!endpoint.isNull() && !endpoint.isString()) || (!contains.isNull() && !contains.isString()))
        return refuse(response, "\"count\" and \"status\" are integers, \"endpoint\" and \"contains\" texts");
    const int httpStatus = status.isNull() ? 500 : status.asInt();
    if (failure == FaultInjector::Failure::Status && (httpStatus < 100 || httpStatus > 599))
        return refuse(response, "\"status\" must be an HTTP status");
    faults.addFailure(failure, count.isNull() ? 1 : count.asInt(), httpStatus, endpoint.asString(),
                      contains.asString());
    answer(response, faults.toJson());
}

void ControlEndpoint::setEcho(const Json::Value& body, httplib::Response& response)
{
    AnswerStyle::Echo echo = AnswerStyle::Echo::Exact;
    const Json::Value& mode = memberOf(body, "mode");
    if (!mode.isString() || !AnswerStyle::echoFromName(mode.asString(), echo))
        return refuse(response, "needs {\"mode\": \"exact\", \"entry\" or \"none\"}");
    style.setEcho(echo);
    qInfo("Config writes echoed: %s", AnswerStyle::nameOf(echo));
    Json::Value result(Json::objectValue);
    result["mode"] = AnswerStyle::nameOf(style.echo());
    answer(response, result);
}

void ControlEndpoint::setReads(const Json::Value& body, httplib::Response& response)
{
    if (!memberOf(body, "emptyAsContainer").isBool())
        return refuse(response, "needs {\"emptyAsContainer\": true or false}");
    style.setEmptyAsContainer(body["emptyAsContainer"].asBool());
    qInfo("Wildcard reads without hits answered %s",
          style.emptyAsContainer() ? "with their container" : "with nothing");
    Json::Value result(Json::objectValue);
    result["emptyAsContainer"] = style.emptyAsContainer();
    answer(response, result);
}

void ControlEndpoint::readTree(const httplib::Request& request, httplib::Response& response)
{
    const std::string path = request.get_param_value("path");
    std::vector<DeviceTree::Hit> hits;
    {
        auto device = state.lock();
        if (!device.tree().find(path, hits))
            return refuse(response, "the path \"" + path + "\" cannot be evaluated");
    }
    Json::Value result(Json::objectValue);
    result["paths"] = Json::Value(Json::arrayValue);
    result["values"] = Json::Value(Json::arrayValue);
    for (const DeviceTree::Hit& hit : hits) {
        result["paths"].append(hit.path);
        result["values"].append(hit.value);
    }
    answer(response, result);
}

void ControlEndpoint::readState(httplib::Response& response)
{
    Json::Value result(Json::objectValue);
    {
        auto device = state.lock();
        result["reqId"] = Json::Int64(device.log().currentId());
        result["measuring"] = MeasurementControl::isMeasuring(device.tree());
    }
    result["paused"] = ticker.isPaused();
    result["sessions"] = Json::UInt64(sessions.sessionCount());
    answer(response, result);
}

} // namespace devicesim
