#include "SimulatorProcess.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QThread>
#include <QUrl>
#include <QtGlobal>

#include <memory>

#include <signal.h>
#include <sys/prctl.h>

namespace {

const char* const host = "127.0.0.1";
const char* const formType = "application/x-www-form-urlencoded";
const char* const jsonType = "application/json";
const int answerTimeoutSeconds = 15;

Json::Value parse(const QByteArray& text)
{
    std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    Json::Value value;
    bool parsed = false;
    try {
        parsed = reader->parse(text.constData(), text.constData() + text.size(), &value, nullptr);
    } catch (const std::exception&) {
    }
    return parsed ? value : Json::Value();
}

QString encoded(const QString& text) { return QString::fromLatin1(QUrl::toPercentEncoding(text)); }

Json::Value element(const QString& path)
{
    Json::Value item(Json::objectValue);
    item["MODE"] = 0;
    item["DEST"]["PATH"] = path.toStdString();
    return item;
}

// The client's template with item as the one element of INST.<instruction>.VAL.
Json::Value telegramWith(const char* instruction, const Json::Value& item)
{
    Json::Value telegram = SimulatorProcess::telegramTemplate();
    telegram["INST"][instruction]["VAL"].append(item);
    return telegram;
}

// INST.<instruction>.<list> of a telegram when it is an array, else null.
Json::Value instList(const Json::Value& telegram, const char* instruction, const char* list)
{
    if (!telegram.isObject() || !telegram["INST"].isObject() || !telegram["INST"][instruction].isObject())
        return Json::Value();
    const Json::Value& found = telegram["INST"][instruction][list];
    return found.isArray() ? found : Json::Value();
}

QString destPath(const Json::Value& item) { return QString::fromStdString(item["DEST"]["PATH"].asString()); }

} // namespace

// A simulator outlives no test: it gets SIGTERM when the thread that started it ends.
class SimulatorProcess::ChildProcess : public QProcess
{
protected:
    void setupChildProcess() override { prctl(PR_SET_PDEATHSIG, SIGTERM); }
};

SimulatorProcess::SimulatorProcess(const QStringList& extraArguments)
    : arguments(QStringList{"--port", "0", "--control"} + extraArguments), process(new ChildProcess)
{
}

SimulatorProcess::~SimulatorProcess() { stop(); }

QString SimulatorProcess::binaryPath() { return QStringLiteral(TEVARO_DEVICESIM_PATH); }

bool SimulatorProcess::start(int timeoutMs)
{
    if (isRunning())
        return listenPort > 0;
    listenPort = -1;
    // The simulator's log goes to the test's output, where a failing test shows it.
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(binaryPath(), arguments, QIODevice::ReadOnly);
    if (!process->waitForStarted(timeoutMs)) {
        qWarning("Device simulator %s did not start: %s", qPrintable(binaryPath()), qPrintable(process->errorString()));
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (process->canReadLine()) {
            const QByteArray line = process->readLine().trimmed();
            listenPort = line.startsWith("PORT ") ? line.mid(5).toInt() : -1;
            if (listenPort > 0)
                return true;
            qWarning("Device simulator printed \"%s\" instead of its port", line.constData());
            break;
        }
        if (process->state() != QProcess::Running) {
            qWarning("Device simulator ended before it printed its port (exit code %d)", process->exitCode());
            return false;
        }
        process->waitForReadyRead(qMax<qint64>(1, timeoutMs - clock.elapsed()));
    }
    qWarning("Device simulator gave no port within %d ms", timeoutMs);
    stop();
    return false;
}

bool SimulatorProcess::stop()
{
    if (process->state() == QProcess::NotRunning)
        return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    process->terminate();
    bool clean = process->waitForFinished(5000);
    if (!clean) {
        qWarning("Device simulator ignored SIGTERM; killed");
        process->kill();
        process->waitForFinished(5000);
    }
    lastPort = listenPort;
    listenPort = -1;
    return clean && process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
}

bool SimulatorProcess::kill()
{
    if (process->state() == QProcess::NotRunning)
        return false;
    process->kill();
    const bool ended = process->waitForFinished(5000);
    lastPort = listenPort;
    listenPort = -1;
    return ended;
}

bool SimulatorProcess::startAgain(int timeoutMs)
{
    if (isRunning() || lastPort <= 0)
        return false;
    const QStringList usual = arguments;
    arguments[1] = QString::number(lastPort);   // after "--port"
    const bool started = start(timeoutMs);
    arguments = usual;
    return started && listenPort == lastPort;
}

bool SimulatorProcess::isRunning() const { return process->state() == QProcess::Running; }

int SimulatorProcess::port() const { return listenPort; }

QString SimulatorProcess::webServiceUrl() const
{
    return QStringLiteral("http://%1:%2/webservice/").arg(QLatin1String(host)).arg(listenPort);
}

// ---- HTTP ----

SimulatorProcess::Answer SimulatorProcess::request(const char* method, const QString& target, const QByteArray& body,
                                                   const char* contentType)
{
    Answer answer;
    if (listenPort <= 0) {
        qWarning("Device simulator not started: %s %s not sent", method, qPrintable(target));
        return answer;
    }
    httplib::Client client(host, listenPort);
    client.set_url_encode(false);   // targets are encoded here
    client.set_connection_timeout(5);
    client.set_read_timeout(answerTimeoutSeconds);
    client.set_keep_alive(false);
    const std::string path = target.toStdString();
    httplib::Result result = qstrcmp(method, "GET") == 0
        ? client.Get(path)
        : client.Post(path, body.constData(), static_cast<std::size_t>(body.size()), contentType);
    if (!result) {
        qWarning("Device simulator gave no answer to %s %s (%s)", method, qPrintable(target),
                 httplib::to_string(result.error()).c_str());
        return answer;
    }
    answer.status = result->status;
    answer.body = QByteArray::fromStdString(result->body);
    return answer;
}

Json::Value SimulatorProcess::controlJson(const char* method, const QString& target, const Json::Value& body)
{
    const Answer answer = request(method, target, body.isNull() ? QByteArray() : toBody(body), jsonType);
    if (answer.status != 200) {
        qWarning("Control request %s %s failed with %d: %s", method, qPrintable(target), answer.status,
                 answer.body.constData());
        return Json::Value();
    }
    return parse(answer.body);
}

bool SimulatorProcess::controlSwitch(const char* target, const char* key, const Json::Value& value)
{
    Json::Value body(Json::objectValue);
    body[key] = value;
    const Json::Value result = controlJson("POST", target, body);
    return result.isObject() && result[key] == value;
}

// ---- Web service ----

Json::Value SimulatorProcess::loginReply(const QString& user, const QString& password)
{
    Json::Value credentials(Json::objectValue);
    credentials["USER"] = user.toStdString();
    credentials["PASS"] = password.toStdString();
    const Answer answer = request("POST", "/webservice/login", toBody(credentials), formType);
    return answer.status == 200 ? parse(answer.body) : Json::Value();
}

QString SimulatorProcess::login(const QString& user, const QString& password)
{
    const Json::Value reply = loginReply(user, password);
    if (!reply.isObject() || !reply["CLNT"].isObject() || !reply["CLNT"]["TOKN"].isString())
        return QString();
    return QString::fromStdString(reply["CLNT"]["TOKN"].asString());
}

int SimulatorProcess::logout(const QString& token)
{
    return request("POST", "/webservice/logout?TOKN=" + encoded(token), QByteArray(), formType).status;
}

int SimulatorProcess::post(const QString& endpoint, const QString& token, const Json::Value& telegram)
{
    return postRaw(endpoint + "?TOKN=" + encoded(token), toBody(telegram));
}

int SimulatorProcess::postRaw(const QString& endpointAndQuery, const QByteArray& body, QByteArray* answerBody)
{
    const Answer answer = request("POST", "/webservice/" + endpointAndQuery, body, formType);
    if (answerBody)
        *answerBody = answer.body;
    return answer.status;
}

SimulatorProcess::DataAnswer SimulatorProcess::data(const QString& token, qint64 reqId)
{
    const Answer answer =
        request("GET", "/webservice/data?TOKN=" + encoded(token) + "&REQID=" + QString::number(reqId), QByteArray(),
                formType);
    DataAnswer result;
    result.status = answer.status;
    result.body = answer.body;
    const Json::Value parsed = parse(answer.body);
    if (parsed.isObject() && parsed["ReqID"].isInt64() && parsed["ReqContent"].isArray()) {
        result.valid = true;
        result.reqId = parsed["ReqID"].asInt64();
        result.telegrams = parsed["ReqContent"];
    }
    return result;
}

Json::Value SimulatorProcess::waitFor(const QString& token, qint64& reqId,
                                      const std::function<bool(const Json::Value&)>& wanted, int timeoutMs)
{
    Json::Value received(Json::arrayValue);
    QElapsedTimer clock;
    clock.start();
    while (true) {
        const DataAnswer answer = data(token, reqId);
        if (answer.valid) {
            reqId = answer.reqId;
            bool found = false;
            for (const Json::Value& telegram : answer.telegrams) {
                received.append(telegram);
                found = found || wanted(telegram);
            }
            if (found)
                return received;
        }
        if (clock.elapsed() >= timeoutMs)
            return received;
        QThread::msleep(20);
    }
}

// ---- Telegrams ----

Json::Value SimulatorProcess::telegramTemplate()
{
    Json::Value telegram(Json::objectValue);
    Json::Value& inst = telegram["INST"];
    inst["SET"]["VAL"] = Json::Value(Json::arrayValue);
    inst["SET"]["MSG"] = Json::Value(Json::arrayValue);
    inst["DEL"]["VAL"] = Json::Value(Json::arrayValue);
    inst["GET"]["VAL"] = Json::Value(Json::arrayValue);
    return telegram;
}

Json::Value SimulatorProcess::getTelegram(const QStringList& paths)
{
    Json::Value telegram = telegramTemplate();
    for (const QString& path : paths)
        telegram["INST"]["GET"]["VAL"].append(element(path));
    return telegram;
}

Json::Value SimulatorProcess::setTelegram(const QString& path, const Json::Value& value)
{
    Json::Value item = element(path);
    item["DEST"]["DEV"] = 1;
    item["DEST"]["PROP"] = "";
    item["VAL"] = value;
    return telegramWith("SET", item);
}

Json::Value SimulatorProcess::delTelegram(const QString& path, int mode)
{
    Json::Value item = element(path);
    item["MODE"] = mode;
    return telegramWith("DEL", item);
}

Json::Value SimulatorProcess::deleteRecordsTelegram(const QString& listPath, const QString& ids)
{
    Json::Value telegram = delTelegram(listPath);
    telegram["INST"]["DEL"]["VAL"][0]["VAL"]["ID"] = ids.toStdString();
    return telegram;
}

Json::Value SimulatorProcess::deleteUserTelegram(qint64 id)
{
    Json::Value telegram = delTelegram(QStringLiteral("$.USMG.USLI"));
    telegram["INST"]["DEL"]["VAL"][0]["VAL"]["ID"] = Json::Int64(id);
    return telegram;
}

Json::Value SimulatorProcess::exportTelegram(qint64 destination, qint64 recording)
{
    Json::Value item = element("$.EXP.MTAB");
    item["VAL"]["DEST"]["ID"] = Json::Int64(destination);
    item["VAL"]["MTAB"]["ID"] = Json::Int64(recording);
    return telegramWith("GET", item);
}

Json::Value SimulatorProcess::pagingRequest(qint64 id, qint64 low, qint64 up, int direction)
{
    Json::Value request(Json::objectValue);
    request["DIRC"] = direction;
    request["ID"] = Json::Int64(id);
    request["LOW"] = Json::Int64(low);
    request["UP"] = Json::Int64(up);
    return request;
}

Json::Value SimulatorProcess::pagingTelegram(const QVector<Json::Value>& requests)
{
    Json::Value telegram = telegramTemplate();
    for (const Json::Value& request : requests) {
        Json::Value item = element("$.MEM.MTAB");
        item["VAL"] = request;
        telegram["INST"]["GET"]["VAL"].append(item);
    }
    return telegram;
}

QByteArray SimulatorProcess::toBody(const Json::Value& value)
{
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return QByteArray::fromStdString(Json::writeString(builder, value) + "\n");
}

Json::Value SimulatorProcess::lastSetIn(const Json::Value& telegrams, const QString& path)
{
    Json::Value value;
    for (const auto& set : setsIn(telegrams))
        if (set.first == path)
            value = set.second;
    return value;
}

QVector<std::pair<QString, Json::Value>> SimulatorProcess::setsIn(const Json::Value& telegrams)
{
    QVector<std::pair<QString, Json::Value>> sets;
    for (const Json::Value& telegram : telegrams)
        for (const Json::Value& item : instList(telegram, "SET", "VAL"))
            if (item.isObject() && item["DEST"].isObject())
                sets.append({destPath(item), item["VAL"]});
    return sets;
}

QStringList SimulatorProcess::deletesIn(const Json::Value& telegrams)
{
    QStringList paths;
    for (const Json::Value& telegram : telegrams)
        for (const Json::Value& item : instList(telegram, "DEL", "VAL"))
            if (item.isObject() && item["DEST"].isObject())
                paths.append(destPath(item));
    return paths;
}

Json::Value SimulatorProcess::listIn(const Json::Value& telegrams, const char* list)
{
    Json::Value items(Json::arrayValue);
    for (const Json::Value& telegram : telegrams)
        for (const Json::Value& item : instList(telegram, "SET", list))
            items.append(item);
    return items;
}

// ---- Test controls ----

qint64 SimulatorProcess::injectTelegram(const Json::Value& telegram, bool applyToTree)
{
    const Json::Value result =
        controlJson("POST", applyToTree ? "/control/telegram" : "/control/telegram?apply=0", telegram);
    return result.isObject() && result["reqId"].isInt64() ? result["reqId"].asInt64() : -1;
}

Json::Value SimulatorProcess::raiseMessage(const Json::Value& message, bool raw, bool atLogin)
{
    QString target = "/control/message?raw=" + QString::number(raw ? 1 : 0);
    if (atLogin)
        target += "&login=1";
    const Json::Value result = controlJson("POST", target, message);
    return result.isObject() ? result["messages"] : Json::Value();
}

Json::Value SimulatorProcess::messageAnswers() { return controlJson("GET", "/control/answers"); }

bool SimulatorProcess::pauseLiveValues(bool paused) { return controlSwitch("/control/live", "paused", paused); }

bool SimulatorProcess::setDelay(int ms, const QString& endpoint)
{
    Json::Value body(Json::objectValue);
    body["ms"] = ms;
    if (!endpoint.isEmpty())
        body["endpoint"] = endpoint.toStdString();
    return controlJson("POST", "/control/delay", body).isObject();
}

bool SimulatorProcess::setFailure(Failure failure, int count, int status, const QString& endpoint,
                                  const QString& bodyContains)
{
    Json::Value body(Json::objectValue);
    body["mode"] = failure == Failure::Status ? "status" : failure == Failure::EmptyBody ? "empty" : "malformed";
    body["count"] = count;
    body["status"] = status;
    if (!endpoint.isEmpty())
        body["endpoint"] = endpoint.toStdString();
    if (!bodyContains.isEmpty())
        body["contains"] = bodyContains.toStdString();
    return controlJson("POST", "/control/failure", body).isObject();
}

bool SimulatorProcess::clearFaults() { return controlJson("POST", "/control/faults/clear").isObject(); }

Json::Value SimulatorProcess::requestLog() { return controlJson("GET", "/control/requests"); }

bool SimulatorProcess::clearRequestLog() { return controlJson("POST", "/control/requests/clear").isObject(); }

Json::Value SimulatorProcess::treeValues(const QString& jsonPath, QStringList* paths)
{
    const Json::Value result = controlJson("GET", "/control/tree?path=" + encoded(jsonPath));
    if (!result.isObject())
        return Json::Value();
    if (paths) {
        paths->clear();
        for (const Json::Value& path : result["paths"])
            paths->append(QString::fromStdString(path.asString()));
    }
    return result["values"];
}

Json::Value SimulatorProcess::state() { return controlJson("GET", "/control/state"); }

bool SimulatorProcess::setEchoMode(const QString& mode)
{
    return controlSwitch("/control/echo", "mode", mode.toStdString());
}

QStringList SimulatorProcess::logLines(const QString& level)
{
    QStringList texts;
    const Json::Value lines = controlJson("GET", "/control/log");
    for (const Json::Value& line : lines)
        if (line.isObject() && line["text"].isString() && (level.isEmpty() || line["level"] == level.toStdString()))
            texts.append(QString::fromStdString(line["text"].asString()));
    return texts;
}

bool SimulatorProcess::clearLog() { return controlJson("POST", "/control/log/clear").isObject(); }

bool SimulatorProcess::setEmptyReadsAsContainer(bool on)
{
    return controlSwitch("/control/reads", "emptyAsContainer", on);
}
