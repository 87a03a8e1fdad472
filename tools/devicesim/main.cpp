// devicesim: the TEVARO500 instrument's web service on loopback, for the
// client and its end-to-end tests. See --help.

#include "DeviceSimulator.h"
#include "LogBook.h"
#include "SimulatorOptions.h"

#include <QtGlobal>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

#include <pthread.h>

int main(int argc, char** argv)
{
    devicesim::SimulatorOptions options;
    std::string error;
    if (!options.parse(argc, argv, error)) {
        std::cerr << "devicesim: " << error << "; see --help\n";
        return 2;
    }
    if (options.helpWanted) {
        std::cout << devicesim::SimulatorOptions::helpText();
        return 0;
    }

    // SIGTERM and SIGINT are taken by sigwait below, never by a server thread:
    // block them before any thread starts, so every thread inherits the mask.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGTERM);
    sigaddset(&endSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);

    // Before any thread starts: the log lines are kept for /control/log.
    devicesim::LogBook::install();
    devicesim::DeviceSimulator simulator(options);
    if (!simulator.start(error)) {
        std::cerr << "devicesim: " << error << "\n";
        return 1;
    }
    // The first line of output: tests and scripts read the port from it.
    std::cout << "PORT " << simulator.port() << std::endl;
    qInfo("TEVARO500 device simulator on 127.0.0.1:%d%s", simulator.port(),
          options.control ? ", test controls under /control/" : "");

    std::thread serverThread(&devicesim::DeviceSimulator::serve, &simulator);
    int received = 0;
    sigwait(&endSignals, &received);
    qInfo("Signal %d: shutting down", received);
    simulator.stop();
    serverThread.join();
    return 0;
}
