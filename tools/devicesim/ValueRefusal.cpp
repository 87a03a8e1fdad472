#include "ValueRefusal.h"

#include "CommandGuard.h"

#include <charconv>

namespace devicesim {

namespace {

// A number in its shortest form that reads back exactly, with a full stop
// whatever the locale: "-200", "0.5", "1e+20".
std::string shortestText(double number)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, number);
    return std::string(text, result.ptr);
}

} // namespace

ValueRefusal ValueRefusal::invalid(const std::string& reason)
{
    return {reason, CommandGuard::badValueId, "Ungültiger Wert, nicht übernommen."};
}

ValueRefusal ValueRefusal::outOfRange(const std::string& reason, const double* minimum, const double* maximum)
{
    std::string range;
    if (minimum && maximum)
        range = shortestText(*minimum) + " … " + shortestText(*maximum);
    else if (minimum)
        range = "mindestens " + shortestText(*minimum);
    else if (maximum)
        range = "höchstens " + shortestText(*maximum);
    return {reason, CommandGuard::outOfRangeId,
            "Wert außerhalb des zulässigen Bereichs (" + range + "), nicht übernommen."};
}

} // namespace devicesim
