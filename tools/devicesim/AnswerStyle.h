#pragma once

#include <atomic>
#include <string>

namespace devicesim {

// How the device words some of its answers; tests switch it through the
// control endpoint to play instruments that answer differently.
// - Echo of an accepted configuration write ("config" endpoint):
//   Exact  a SET at exactly the written path (the default);
//   Entry  a SET of the whole entry, at the written path without ".VAL";
//   None   nothing.
// - A read with "[*]" or a filter that finds nothing: no answer (the
//   default), or with emptyAsContainer a SET of the container before the
//   first wildcard or filter, as it is ("$.DATA.EVT" = []).
class AnswerStyle
{
public:
    enum class Echo { Exact, Entry, None };

    void setEcho(Echo echo) { echoMode = echo; }
    Echo echo() const { return echoMode; }
    void setEmptyAsContainer(bool on) { emptyContainers = on; }
    bool emptyAsContainer() const { return emptyContainers; }

    static bool echoFromName(const std::string& name, Echo& echo);
    static const char* nameOf(Echo echo);

private:
    std::atomic<Echo> echoMode{Echo::Exact};
    std::atomic<bool> emptyContainers{false};
};

} // namespace devicesim
