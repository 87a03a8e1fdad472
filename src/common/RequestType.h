#pragma once

// Kind of a queued request; it also chooses the web-service endpoint its
// telegram goes to.
enum RequestType {
    REQUEST_PATH = 1,      // read of one path        -> "path"
    REQUEST_CONFIG = 2,    // configuration change    -> "config"
    REQUEST_MESSAGE = 3,   // answer to a device message -> "config"
    REQUEST_MEASURE = 4,   // measurement control     -> "measure"
    REQUEST_EXPORT = 5,    // export of stored measurements -> "export"
    REQUEST_USER = 6       // user management         -> "user"
};
