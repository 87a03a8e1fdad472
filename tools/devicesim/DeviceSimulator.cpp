#include "DeviceSimulator.h"

#include "ChannelCopies.h"
#include "ChannelFunctions.h"
#include "SensorSettings.h"

#include <QtGlobal>

#include <cerrno>
#include <cstring>

#include <sys/socket.h>

namespace devicesim {

namespace {

const char* const host = "127.0.0.1";

// The port is ours alone. cpp-httplib's default adds SO_REUSEPORT, with which
// a second simulator binds a port already listened on and the kernel splits
// the connections between the two. SO_REUSEADDR only lets a restart take its
// port back while connections of the last run linger in TIME_WAIT.
void exclusivePortOptions(socket_t socket)
{
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
}

} // namespace

DeviceSimulator::DeviceSimulator(const SimulatorOptions& options)
    : options(options),
      state(options.startId()),
      processor(state, messages, style),
      liveValues(options.seed),
      recorder(options.sampleIntervalMs, options.seed),
      measurement(recorder),
      pager(recorder),
      memory(options.sampleIntervalMs),
      guard(messages),
      recordDeletion(recorder, memory, guard),
      recordingExport(state, guard, options.exportMs),
      userAdministration(sessions),
      ticker(
          [this] {
              auto device = state.lock();
              const std::int64_t now = nowMs();
              liveValues.step(device);
              recorder.step(device, now);
              memory.step(device, now);
              ringLimit.step(device, now);
          },
          options.liveIntervalMs),
      webService(state, sessions, processor, messages, faults, requests),
      controlEndpoint(state, messages, faults, requests, ticker, sessions, style)
{
    ticker.setPaused(options.paused);
    style.setEmptyAsContainer(options.emptyAsContainer);
}

DeviceSimulator::~DeviceSimulator()
{
    stop();
}

bool DeviceSimulator::start(std::string& error)
{
    {
        auto device = state.lock();
        if (!device.tree().load(options.treeFile, &error))
            return false;
        if (options.channels > 0 && !ChannelCopies::resize(device.tree(), options.channels, error))
            return false;
    }
    if (!sessions.loadAccounts(options.usersFile, &error))
        return false;

    wireDeviceFunctions();
    webService.registerRoutes(server);
    if (options.control)
        controlEndpoint.registerRoutes(server);

    // One request per connection: an idle keep-alive connection would hold a
    // worker, and keep the server from stopping, until it timed out.
    server.new_task_queue = [] { return new httplib::ThreadPool(16); };
    server.set_keep_alive_max_count(1);
    server.set_keep_alive_timeout(1);
    server.set_socket_options(exclusivePortOptions);
    server.set_exception_handler([](const httplib::Request& request, httplib::Response& response,
                                    std::exception_ptr failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const std::exception& e) {
            qWarning("%s %s failed: %s", request.method.c_str(), request.path.c_str(), e.what());
        } catch (...) {
            qWarning("%s %s failed", request.method.c_str(), request.path.c_str());
        }
        response.status = 500;
    });
    if (options.verbose) {
        server.set_logger([](const httplib::Request& request, const httplib::Response& response) {
            qInfo("%s %s -> %d %s", request.method.c_str(), request.target.c_str(), response.status,
                  response.body.substr(0, 300).c_str());
        });
    }

    errno = 0;
    if (options.port == 0)
        boundPort = server.bind_to_any_port(host);
    else if (server.bind_to_port(host, options.port))
        boundPort = options.port;
    if (boundPort <= 0) {
        const int reason = errno;
        error = "cannot listen on " + std::string(host) + ":" + std::to_string(options.port);
        if (reason == EADDRINUSE)
            error += ": the port is taken by another program";
        else if (reason != 0)
            error += std::string(": ") + std::strerror(reason);
        return false;
    }
    ticker.start();
    return true;
}

void DeviceSimulator::wireDeviceFunctions()
{
    using Kind = TelegramProcessor::Kind;
    using Context = TelegramProcessor::Context;

    processor.addReaction("$.SERV.FCT.STST.VAL",
                          [this](DeviceState::Access& device, const Json::Value& value, const Context&) {
                              measurement.onStartStop(device, value, nowMs());
                          });
    processor.addReaction("$.SERV.STAT.MEAS.FILE.VAL",
                          [this](DeviceState::Access& device, const Json::Value& value, const Context&) {
                              measurement.onFileName(device, value);
                          });
    ChannelFunctions::registerWith(processor);
    SensorSettings::registerWith(processor);
    // Each client keeps its own "$.CLNT" (login node, local indexes): the device never changes or sends it.
    processor.addProtectedPath("$.CLNT", "\"$.CLNT\" is each client's own node");
    processor.addCommand(Kind::Delete, std::string(),
                         [this](DeviceState::Access& device, const Json::Value& element, const Context& context) {
                             recordDeletion.run(device, element, context);
                         });
    processor.addCommand(Kind::Get, "$.EXP.MTAB",
                         [this](DeviceState::Access& device, const Json::Value& element, const Context& context) {
                             recordingExport.run(device, element, context);
                         });
    processor.addCommand(Kind::Get, "$.MEM.MTAB",
                         [this](DeviceState::Access& device, const Json::Value& element, const Context& context) {
                             pager.run(device, element, context);
                         });
    userAdministration.registerWith(processor);
}

int DeviceSimulator::port() const
{
    return boundPort;
}

void DeviceSimulator::serve()
{
    if (boundPort > 0 && !server.listen_after_bind())
        qWarning("The web service stopped listening unexpectedly");
}

void DeviceSimulator::stop()
{
    ticker.stop();
    recordingExport.stop();
    webService.stop();
    server.stop();
}

} // namespace devicesim
