#pragma once

#include "AnswerStyle.h"
#include "ChartRecorder.h"
#include "CommandGuard.h"
#include "ControlEndpoint.h"
#include "DeviceMessages.h"
#include "DeviceState.h"
#include "FaultInjector.h"
#include "LimitPublisher.h"
#include "LiveTicker.h"
#include "LiveValues.h"
#include "MeasurementControl.h"
#include "MemoryUsage.h"
#include "RecordDeletion.h"
#include "RecordingExport.h"
#include "RecordingPager.h"
#include "RequestLog.h"
#include "SessionStore.h"
#include "SimulatorOptions.h"
#include "TelegramProcessor.h"
#include "UserAdministration.h"
#include "WebService.h"

#include <httplib.h>

#include <string>

namespace devicesim {

// The simulated instrument: builds the parts, wires the device functions
// into the telegram processor and runs the HTTP server on 127.0.0.1.
//
// To add a device function, write a class for it and register it in
// wireDeviceFunctions() as a command (it takes an element of a telegram)
// or a reaction (it follows an applied SET); what moves by itself runs in
// the ticker's step (live values, chart data, the ring buffer's oldest time).
class DeviceSimulator
{
public:
    explicit DeviceSimulator(const SimulatorOptions& options);
    ~DeviceSimulator();

    DeviceSimulator(const DeviceSimulator&) = delete;
    DeviceSimulator& operator=(const DeviceSimulator&) = delete;

    // Loads tree and accounts and binds the port; false with a reason.
    bool start(std::string& error);
    int port() const;

    // Serves until stop(); call on a thread of its own.
    void serve();
    void stop();

private:
    void wireDeviceFunctions();

    const SimulatorOptions options;
    DeviceState state;
    SessionStore sessions;
    DeviceMessages messages;
    FaultInjector faults;
    RequestLog requests;
    AnswerStyle style;
    TelegramProcessor processor;
    LiveValues liveValues;
    ChartRecorder recorder;
    MeasurementControl measurement;
    LimitPublisher ringLimit;
    RecordingPager pager;
    MemoryUsage memory;
    CommandGuard guard;
    RecordDeletion recordDeletion;
    RecordingExport recordingExport;
    UserAdministration userAdministration;
    LiveTicker ticker;
    WebService webService;
    ControlEndpoint controlEndpoint;
    httplib::Server server;
    int boundPort = -1;
};

} // namespace devicesim
