#include "FaultInjector.h"

namespace devicesim {

namespace {

const char* failureName(FaultInjector::Failure failure)
{
    switch (failure) {
    case FaultInjector::Failure::Status: return "status";
    case FaultInjector::Failure::EmptyBody: return "empty";
    case FaultInjector::Failure::MalformedBody: return "malformed";
    case FaultInjector::Failure::None: break;
    }
    return "none";
}

} // namespace

void FaultInjector::setDelay(int ms, const std::string& endpoint)
{
    std::lock_guard<std::mutex> guard(mutex);
    if (ms > 0)
        delays[endpoint] = ms;
    else
        delays.erase(endpoint);
}

void FaultInjector::addFailure(Failure failure, int count, int status, const std::string& endpoint,
                               const std::string& contains)
{
    if (failure == Failure::None || count <= 0)
        return;
    std::lock_guard<std::mutex> guard(mutex);
    failures.push_back({failure, count, status, endpoint, contains});
}

void FaultInjector::clear()
{
    std::lock_guard<std::mutex> guard(mutex);
    delays.clear();
    failures.clear();
}

FaultInjector::Fault FaultInjector::take(const std::string& endpoint, const std::string& body)
{
    std::lock_guard<std::mutex> guard(mutex);
    Fault fault;
    // An endpoint's own delay wins over the general one.
    auto delay = delays.find(endpoint);
    if (delay == delays.end())
        delay = delays.find(std::string());
    if (delay != delays.end())
        fault.delayMs = delay->second;

    for (auto rule = failures.begin(); rule != failures.end(); ++rule) {
        if ((!rule->endpoint.empty() && rule->endpoint != endpoint)
            || body.find(rule->contains) == std::string::npos)
            continue;
        fault.failure = rule->failure;
        fault.status = rule->status;
        if (--rule->remaining <= 0)
            failures.erase(rule);
        break;
    }
    return fault;
}

bool FaultInjector::failureFromName(const std::string& name, Failure& failure)
{
    if (name == "status")
        failure = Failure::Status;
    else if (name == "empty")
        failure = Failure::EmptyBody;
    else if (name == "malformed")
        failure = Failure::MalformedBody;
    else
        return false;
    return true;
}

Json::Value FaultInjector::toJson() const
{
    std::lock_guard<std::mutex> guard(mutex);
    Json::Value state(Json::objectValue);
    state["delays"] = Json::Value(Json::objectValue);
    for (const auto& delay : delays)
        state["delays"][delay.first.empty() ? "*" : delay.first] = delay.second;
    state["failures"] = Json::Value(Json::arrayValue);
    for (const FailureRule& rule : failures) {
        Json::Value item(Json::objectValue);
        item["mode"] = failureName(rule.failure);
        item["count"] = rule.remaining;
        item["status"] = rule.status;
        item["endpoint"] = rule.endpoint;
        item["contains"] = rule.contains;
        state["failures"].append(item);
    }
    return state;
}

} // namespace devicesim
