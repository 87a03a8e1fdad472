#pragma once

#include <QMetaType>

// HTTP method of a request; any other value sends a custom verb taken from the
// request's data.
enum class RequestMethod : int {
    Post = 0,
    Get = 1,
    Put = 2,
    Head = 3,
    Delete = 4
};

Q_DECLARE_METATYPE(RequestMethod)
