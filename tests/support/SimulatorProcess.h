#pragma once

#include <json/json.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <utility>

// The device simulator (tools/devicesim) as a child process, for end-to-end
// tests. It is started with "--port 0 --control" plus the extra arguments,
// listens on 127.0.0.1 on the port it printed, and is stopped (SIGTERM, then
// kill) by stop() or the destructor. Should the test process die first, the
// simulator gets SIGTERM too (it is tied to the thread that started it).
//
//     SimulatorProcess simulator({"--paused"});
//     QVERIFY(simulator.start());
//     settings: "Config/Network/WebServer/IPAdress" = "127.0.0.1",
//               "Config/Network/WebServer/Port" = QString::number(simulator.port())
//     const QString token = simulator.login("admin", "admin");
//
// Every helper blocks until the simulator answered (or 15 s passed) and
// reports failure by its result (an HTTP status of -1: no answer), never by
// an exception. Useful extra arguments: "--paused" (no live values or chart
// data until pauseLiveValues(false)), "--live-interval 50" (faster live
// values), "--sample-interval 20" (a running measurement samples every 20 ms;
// default 100), "--seed N" (live values and chart data), "--high-ids" (ReqID
// above 2^32), "--tree FILE", "--users FILE",
// "--channels N" (N channels: the tree's nine repeated with their own IDX,
// ADR, name and values), "--export-ms MS" (an export finishes after MS ms;
// default 1000), "--empty-as-container" (as setEmptyReadsAsContainer(true)).
// tests/devicesim/users_no_deactivation.json holds admin / admin and
// bediener / 1234 whose role has no deactivation mask (DACT 0); a test folder
// copies it into its build folder (see tests/devicesim/CMakeLists.txt).
//
// Users of the default tree (name / password, role): admin / admin (1),
// service / service (2), bediener / 1234 (3), praktikant / abc (3),
// werk / werk500 (4, right masks with bit 63 set). The simulator refuses,
// silently, a "config" write of an entry's "VAL" that the entry's "INP"."AUT"
// does not let the writing user change. Users are created, changed and
// deleted at "user" by senders who may change $.USMG.AUT (admin only); every
// login sends a SET of that user's "$.USMG.USLI[i].LAST.DU" to all clients.
//
// The device answers every telegram with an empty 200; what it sends back
// (echoed writes, answered reads, live values, measurement, messages) comes
// through data(), in change telegrams after the REQID given.
class SimulatorProcess
{
public:
    // A data answer {"ReqID": n, "ReqContent": [telegram, ...]}.
    struct DataAnswer
    {
        int status = -1;                                 // HTTP status; -1 no answer
        QByteArray body;
        bool valid = false;                              // the body had the shape above
        qint64 reqId = -1;                               // "ReqID"
        Json::Value telegrams = Json::Value(Json::arrayValue);   // "ReqContent"
    };

    // An injected failed answer (see setFailure).
    enum class Failure { Status, EmptyBody, MalformedBody };

    explicit SimulatorProcess(const QStringList& extraArguments = {});
    ~SimulatorProcess();

    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Starts the binary and waits for its "PORT n" line; false (with a
    // warning) when it did not come within timeoutMs.
    bool start(int timeoutMs = 10000);
    // SIGTERM, then kill after 5 s. True when the simulator ended by itself with exit code 0.
    bool stop();
    // SIGKILL: the device gone at once, as at a power cut, with the requests it holds unanswered.
    bool kill();
    // After stop() or kill(): starts again on the port it listened on, as a device restarting at its
    // address, with a fresh tree and no sessions. False when that port cannot be had.
    bool startAgain(int timeoutMs = 10000);
    bool isRunning() const;

    int port() const;                     // -1 before start()
    QString webServiceUrl() const;        // "http://127.0.0.1:<port>/webservice/"
    static QString binaryPath();

    // ---- The web service, as the client uses it ----

    // The parsed login answer; null when there was no JSON answer.
    Json::Value loginReply(const QString& user, const QString& password);
    // The token ("CLNT"."TOKN"); empty when the login was refused.
    QString login(const QString& user, const QString& password);
    int logout(const QString& token);   // HTTP status
    // POSTs a telegram to an endpoint ("path", "config", "measure", "export",
    // "user") form-encoded with the token; returns the HTTP status.
    int post(const QString& endpoint, const QString& token, const Json::Value& telegram);
    // POSTs any body to "<webServiceUrl><endpointAndQuery>"; the answer body goes to answer.
    int postRaw(const QString& endpointAndQuery, const QByteArray& body, QByteArray* answer = nullptr);
    DataAnswer data(const QString& token, qint64 reqId);
    // Polls data from reqId until a telegram satisfies wanted or timeoutMs
    // passed; reqId follows the answers. Returns every telegram received.
    Json::Value waitFor(const QString& token, qint64& reqId, const std::function<bool(const Json::Value&)>& wanted,
                        int timeoutMs = 3000);

    // ---- Telegrams ----

    // The client's telegram template with every list empty.
    static Json::Value telegramTemplate();
    static Json::Value getTelegram(const QStringList& paths);
    static Json::Value setTelegram(const QString& path, const Json::Value& value);
    static Json::Value delTelegram(const QString& path, int mode = 0);
    // A paging request {"DIRC","ID","LOW","UP"} for a recording's samples in [low, up] (ms since
    // the epoch), newest block first with direction 1; {"ID": -1} ends paging.
    static Json::Value pagingRequest(qint64 id, qint64 low, qint64 up, int direction = 0);
    // The "measure" telegram with one GET element at "$.MEM.MTAB" per request (its "VAL").
    static Json::Value pagingTelegram(const QVector<Json::Value>& requests);
    // DEL of records by id at a list ("$.MEM.MTAB", "$.EXP.MTAB"): VAL {"ID": "12,13"}.
    static Json::Value deleteRecordsTelegram(const QString& listPath, const QString& ids);
    // The "user" telegram deleting the user with that id: DEL "$.USMG.USLI" with VAL {"ID": id}.
    // (Creating or changing one is setTelegram("$.USMG.USLI", user).)
    static Json::Value deleteUserTelegram(qint64 id);
    // The "export" telegram asking to export recording to destination (a GET of
    // "$.EXP.MTAB" with VAL {"DEST":{"ID":d},"MTAB":{"ID":m}}).
    static Json::Value exportTelegram(qint64 destination, qint64 recording);
    // Compact text with sorted keys and a trailing line feed, as the client writes it.
    static QByteArray toBody(const Json::Value& value);
    // The (path, value) of every SET element in a list of telegrams, in order.
    static QVector<std::pair<QString, Json::Value>> setsIn(const Json::Value& telegrams);
    // The value of the last SET at path in telegrams, null when there is none.
    static Json::Value lastSetIn(const Json::Value& telegrams, const QString& path);
    // The paths of every DEL element.
    static QStringList deletesIn(const Json::Value& telegrams);
    // Every element of the "INST"."SET".<list> arrays ("MSG", "MEM").
    static Json::Value listIn(const Json::Value& telegrams, const char* list);

    // ---- Test controls ----

    // Sends a telegram (or an array of them) to every client through the
    // change log; applied to the simulator's tree too unless applyToTree is
    // false. Returns the change id, -1 on failure.
    qint64 injectTelegram(const Json::Value& telegram, bool applyToTree = true);
    // Raises device messages (an object or an array; missing ids, type, text and
    // an "Ok" button are filled in unless raw). atLogin keeps them for the next
    // login answer. Returns the messages as sent (an array), null on failure.
    Json::Value raiseMessage(const Json::Value& message = Json::Value(Json::objectValue), bool raw = false,
                             bool atLogin = false);
    Json::Value messageAnswers();   // answers of clients to messages, oldest first
    bool pauseLiveValues(bool paused = true);
    // Delays every answer (of endpoint, when given) by ms; 0 ends it.
    bool setDelay(int ms, const QString& endpoint = QString());
    // The next count requests (to endpoint, and with bodyContains in their
    // body, when given) fail: HTTP status (Failure::Status), an empty 200
    // body, or a malformed JSON body.
    bool setFailure(Failure failure, int count = 1, int status = 500, const QString& endpoint = QString(),
                    const QString& bodyContains = QString());
    bool clearFaults();
    // The web-service requests received: [{"time","method","path","query","body"}, ...].
    Json::Value requestLog();
    bool clearRequestLog();
    // The simulator's own tree at a JSONPath: the values, and their concrete paths.
    Json::Value treeValues(const QString& jsonPath, QStringList* paths = nullptr);
    // {"reqId", "measuring", "paused", "sessions"}
    Json::Value state();
    // How accepted "config" writes are echoed: "exact" (a SET at the written
    // path; the default), "entry" (a SET of the whole entry at the written
    // path without ".VAL") or "none". False for any other mode.
    bool setEchoMode(const QString& mode);
    // The simulator's recent log lines (of one level: "info", "warning", ... when given).
    QStringList logLines(const QString& level = QString());
    bool clearLog();
    // On: a read with "[*]" or a filter that finds nothing is answered with
    // a SET of the container before the wildcard ("$.DATA.EVT" = []). Off
    // (the default): it is not answered.
    bool setEmptyReadsAsContainer(bool on);

private:
    struct Answer
    {
        int status = -1;
        QByteArray body;
    };

    Answer request(const char* method, const QString& target, const QByteArray& body, const char* contentType);
    Json::Value controlJson(const char* method, const QString& target, const Json::Value& body = Json::Value());
    // Posts {key: value} to target; true when the answer holds the same.
    bool controlSwitch(const char* target, const char* key, const Json::Value& value);

    class ChildProcess;

    QStringList arguments;
    std::unique_ptr<ChildProcess> process;
    int listenPort = -1;
    int lastPort = -1;   // the port before the last stop()
};
