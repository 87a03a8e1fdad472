#include "LogBook.h"

#include "SecretMask.h"

#include <QString>
#include <QtGlobal>

#include <deque>
#include <mutex>
#include <string>
#include <utility>

namespace devicesim {

namespace {

struct Book
{
    std::mutex mutex;
    std::deque<std::pair<QtMsgType, std::string>> lines;
    std::size_t capacity = 0;
    QtMessageHandler previous = nullptr;
};

Book& book()
{
    static Book instance;
    return instance;
}

const char* levelName(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg: return "debug";
    case QtInfoMsg: return "info";
    case QtWarningMsg: return "warning";
    case QtCriticalMsg: return "critical";
    case QtFatalMsg: return "fatal";
    }
    return "unknown";
}

// The last line of defence: a password a log line still shows is masked,
// on stderr as in the book.
std::string withoutSecrets(const QString& text)
{
    const std::string line = text.toStdString();
    const bool mayHoldOne = line.find("PW") != std::string::npos || line.find("PASS") != std::string::npos;
    return mayHoldOne ? SecretMask::ofText(line) : line;
}

void record(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    Book& log = book();
    const std::string line = withoutSecrets(text);
    {
        std::lock_guard<std::mutex> guard(log.mutex);
        log.lines.emplace_back(type, line);
        while (log.lines.size() > log.capacity)
            log.lines.pop_front();
    }
    if (log.previous)
        log.previous(type, context, QString::fromStdString(line));
}

} // namespace

void LogBook::install(std::size_t capacity)
{
    Book& log = book();
    {
        std::lock_guard<std::mutex> guard(log.mutex);
        log.capacity = capacity;
    }
    log.previous = qInstallMessageHandler(record);
}

Json::Value LogBook::lines()
{
    Book& log = book();
    std::lock_guard<std::mutex> guard(log.mutex);
    Json::Value result(Json::arrayValue);
    for (const auto& line : log.lines) {
        Json::Value item(Json::objectValue);
        item["level"] = levelName(line.first);
        item["text"] = line.second;
        result.append(item);
    }
    return result;
}

void LogBook::clear()
{
    Book& log = book();
    std::lock_guard<std::mutex> guard(log.mutex);
    log.lines.clear();
}

} // namespace devicesim
