#pragma once

#include <json/json.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace devicesim {

// Test faults for the web service: answer delays and failed answers.
// Endpoints are named as in the URL ("login", "data", "config", ...);
// an empty endpoint means every endpoint. A failure may also be kept for
// the requests whose body contains a text (one path among many reads).
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
    // The next count requests (to endpoint, with contains in their body) fail this way.
    void addFailure(Failure failure, int count, int status, const std::string& endpoint,
                    const std::string& contains = std::string());
    void clear();   // no delays, no failures

    // The fault for the next request to endpoint with that body; uses up one failure.
    Fault take(const std::string& endpoint, const std::string& body = std::string());

    static bool failureFromName(const std::string& name, Failure& failure);
    Json::Value toJson() const;

private:
    struct FailureRule
    {
        Failure failure;
        int remaining;
        int status;
        std::string endpoint;
        std::string contains;   // empty: any body
    };

    mutable std::mutex mutex;
    std::map<std::string, int> delays;   // endpoint -> ms
    std::vector<FailureRule> failures;   // first matching rule wins
};

} // namespace devicesim
