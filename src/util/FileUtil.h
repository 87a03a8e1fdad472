#pragma once

#include <QString>

// File helpers of the client's data folder.
class FileUtil
{
public:
    // The data folder: the writable generic data location + "/TEVARO500".
    // Computed on first use, so the environment of the running process (and of
    // each test) decides where it is.
    static QString basePath();
};
