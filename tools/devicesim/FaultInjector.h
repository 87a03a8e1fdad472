#pragma once

#include <json/json.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace devicesim {

// Test faults for the web service: answer delays and failed answers.
// Endpoints are named as in the URL ("login", "data", "config", ...);
// an empty endpoint means every endpoint.
class FaultInjector
{
public:
    enum class Failure { None, Status, EmptyBody, MalformedBody };

    // What to do with one request.
    struct Fault
    {
        int delayMs = 0;
        Failure failure = Failure::None;
        int status = 200;   // for Failure::Status
    };

    void setDelay(int ms, const std::string& endpoint);      // 0 removes it
    // The next count requests (to endpoint) fail this way.
    void addFailure(Failure failure, int count, int status, const std::string& endpoint);
    void clear();   // no delays, no failures

    // The fault for the next request to endpoint; uses up one failure.
    Fault take(const std::string& endpoint);

    static bool failureFromName(const std::string& name, Failure& failure);
    Json::Value toJson() const;

private:
    struct FailureRule
    {
        Failure failure;
        int remaining;
        int status;
        std::string endpoint;
    };

    mutable std::mutex mutex;
    std::map<std::string, int> delays;   // endpoint -> ms
    std::vector<FailureRule> failures;   // first matching rule wins
};

} // namespace devicesim
