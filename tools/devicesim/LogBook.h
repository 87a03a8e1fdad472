#pragma once

#include <json/json.h>

#include <cstddef>

namespace devicesim {

// The simulator's recent log lines (qDebug ... qFatal), kept for tests that
// check that the device logged a refusal (GET /control/log). Every line still
// goes to stderr as before, both with passwords masked (SecretMask). One per
// process: Qt's message handler is global.
class LogBook
{
public:
    // Installs the message handler; keeps the last capacity lines.
    static void install(std::size_t capacity = 5000);

    // [{"level": "debug"|"info"|"warning"|"critical"|"fatal", "text": ...}, ...], oldest first.
    static Json::Value lines();
    static void clear();
};

} // namespace devicesim
