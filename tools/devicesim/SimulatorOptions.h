#pragma once

#include <cstdint>
#include <string>

namespace devicesim {

// The simulator's command line.
struct SimulatorOptions
{
    int port = 8080;               // 0: any free port
    std::string treeFile;          // the device tree
    std::string usersFile;         // accounts: passwords and role masks
    bool control = false;          // serve /control/
    bool highIds = false;          // change ids start above 2^32
    bool paused = false;           // live values start paused
    int liveIntervalMs = 300;      // one live step per interval
    int sampleIntervalMs = 100;    // a running measurement samples its channels this often
    unsigned seed = 500;           // of the live values' random walk
    int channels = 0;              // channels ($.DATA.MK) repeated or cut to this many; 0: as in the tree
    int exportMs = 1000;           // an export finishes this long after it was asked for
    bool emptyAsContainer = false; // empty wildcard reads are answered with their container
    bool verbose = false;          // log every request

    // The first change id: 0, or above 2^32 with highIds.
    std::int64_t startId() const;

    // Reads argv; false with a message in error on a bad command line.
    bool parse(int argc, char** argv, std::string& error);
    bool helpWanted = false;

    static std::string helpText();
};

} // namespace devicesim
