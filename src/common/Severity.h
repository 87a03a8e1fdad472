#pragma once

#include <QMetaType>

// Severity of a status-bar message: the program passes 0 for notices and 1 for
// errors; device messages pass the severity the instrument gives.
enum Severity {
    SEVERITY_NOTICE = 0,
    SEVERITY_ERROR = 1
};

Q_DECLARE_METATYPE(Severity)
