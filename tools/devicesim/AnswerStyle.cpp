#include "AnswerStyle.h"

namespace devicesim {

bool AnswerStyle::echoFromName(const std::string& name, Echo& echo)
{
    if (name == "exact")
        echo = Echo::Exact;
    else if (name == "entry")
        echo = Echo::Entry;
    else if (name == "none")
        echo = Echo::None;
    else
        return false;
    return true;
}

const char* AnswerStyle::nameOf(Echo echo)
{
    switch (echo) {
    case Echo::Entry: return "entry";
    case Echo::None: return "none";
    case Echo::Exact: break;
    }
    return "exact";
}

} // namespace devicesim
