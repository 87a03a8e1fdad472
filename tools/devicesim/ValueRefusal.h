#pragma once

#include <string>

namespace devicesim {

// Why the input check refuses a written value: the reason for the log and the
// German status-bar text the device answers with (a device message of type 0).
struct ValueRefusal
{
    std::string reason;   // for the log
    int textId = 0;
    std::string text;     // for the status bar

    // A value of the wrong form: null over a setting, a text that is no
    // number, a text failing its pattern.
    static ValueRefusal invalid(const std::string& reason);
    // A number outside its limits; the text names the limits there are
    // (null when there is none).
    static ValueRefusal outOfRange(const std::string& reason, const double* minimum, const double* maximum);
};

} // namespace devicesim
