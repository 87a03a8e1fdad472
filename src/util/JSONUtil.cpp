#include "util/JSONUtil.h"

#include "common/AnnotatedLocks.h"
#include "common/LogRedaction.h"
#include "common/ZZJSON.h"
#include "json/MasterJSON.h"
#include "util/FileUtil.h"
#include "util/HTTPRequestUtil.h"
#include "util/LanguageUtil.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QtDebug>

#include <cmath>
#include <exception>
#include <limits>

using KORVALIS::HighLevelCommunication::MasterJSON;

namespace {

std::atomic<LanguageUtil*> registeredLanguageUtil{nullptr};

MasterJSON* newMirror()
{
    MasterJSON* mirror = new MasterJSON();
    mirror->setId(0);
    return mirror;
}

// The text a scalar is spliced into a path as; false for anything else.
bool scalarText(const Json::Value& value, QString& text)
{
    if (value.isString())
        text = QString::fromStdString(value.asString());
    else if (value.isBool())
        text = value.asBool() ? QStringLiteral("true") : QStringLiteral("false");
    else if (value.isInt64())
        text = QString::number(value.asInt64());
    else if (value.isUInt64())
        text = QString::number(value.asUInt64());
    else if (value.isDouble())
        text = QString::fromStdString(value.asString());
    else
        return false;
    return true;
}

// An integral device number that fits an int, whatever jsoncpp parsed it as.
bool toInt(const Json::Value& value, int& out)
{
    if (value.isInt()) {
        out = value.asInt();
        return true;
    }
    if (value.isDouble()) {
        const double number = value.asDouble();
        if (std::isfinite(number) && number >= std::numeric_limits<int>::min()
            && number <= std::numeric_limits<int>::max()) {
            out = static_cast<int>(number);
            return true;
        }
    }
    return false;
}

} // namespace

JSONUtil::JSONUtil(QObject* parent)
    : CommonJSONUtil(newMirror(), parent),
      httpRequestUtil(nullptr),
      requestCounter(0),
      requestGeneration(0),
      masterJSON(nullptr),
      chartUtil(nullptr),
      chordDumped(false)
{
    GlobalEnums::registerMetaTypes();
    httpRequestUtil = new HTTPRequestUtil(this);
    masterJSON = static_cast<MasterJSON*>(document);
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

JSONUtil::~JSONUtil()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
    delete httpRequestUtil;
}

// --- Mirror queries -------------------------------------------------------

bool JSONUtil::getMasterJSONbyPath(const QString& path, QVector<Json::Value>& values, QVector<QString>& paths,
                                   bool request)
{
    if (path.isEmpty())
        return false;
    const bool found = getJSONbyPath(path, values, paths);
    if (request) {
        // A scalar is whole wherever it came from; an object or list may hold
        // only what a read of one of its members brought.
        bool whole = !values.isEmpty();
        for (const Json::Value& value : qAsConst(values))
            whole = whole && !value.isObject() && !value.isArray();
        if (!whole)
            requestReadOnce(path);
    }
    return found;
}

bool JSONUtil::getMasterJSONbyPath(const QString& path, QVector<Json::Value>& values, bool request)
{
    QVector<QString> paths;
    return getMasterJSONbyPath(path, values, paths, request);
}

bool JSONUtil::getMasterJSONbyPath(const QString& path, Json::Value& value, bool request)
{
    if (path.isEmpty())
        return false;
    QVector<Json::Value> values;
    const bool found = getMasterJSONbyPath(path, values, request);
    if (values.size() == 1)
        value.swap(values.first());
    else if (values.size() > 1)
        qWarning().noquote() << "It was returned more than 1 JSON-Object " + path;
    return found;
}

void JSONUtil::getAndSolvePath(QString& path)
{
    static const QRegularExpression reference(QStringLiteral("(\\(\\$.CLNT.[^)]+\\))"));
    const QString source = path;   // matches are searched in the unchanged text
    QRegularExpressionMatchIterator matches = reference.globalMatch(source);
    while (matches.hasNext()) {
        const QString captured = matches.next().captured(1);
        const QString inner = captured.mid(1, captured.size() - 2);
        Json::Value value;
        getMasterJSONbyPath(inner, value, false);
        if (value.empty()) {
            qWarning().noquote() << "CLNT-node could not be solved in MasterJSON! \n" + source;
            continue;
        }
        QString text;
        if (!scalarText(value, text)) {
            // Splicing a whole object or array would change the path's structure.
            qWarning().noquote() << "CLNT-node is not a single value and was not put into the path: " + source;
            continue;
        }
        path.replace(captured, text);
    }
}

// --- Translation ----------------------------------------------------------

void JSONUtil::setLanguageUtil(LanguageUtil* languageUtil)
{
    registeredLanguageUtil = languageUtil;
}

LanguageUtil* JSONUtil::getLanguageUtil()
{
    return registeredLanguageUtil;
}

QString JSONUtil::getTranslation(const int& id, const QString& defaultText)
{
    LanguageUtil* languageUtil = registeredLanguageUtil;
    return languageUtil ? languageUtil->getText(0, id, defaultText) : defaultText;
}

void JSONUtil::getInternationalisationFromID(const Json::Value& node, int& id, QString& text)
{
    static const Json::Value none;
    const Json::Value& textNode = node.isObject() ? node["T"] : none;
    const Json::Value& idNode = node.isObject() ? node["ID"] : none;

    QString defaultText;
    if (textNode.isString()) {
        defaultText = QString::fromStdString(textNode.asString());
    } else if (textNode.isObject()) {
        const Json::Value& pathNode = textNode["PATH"];
        if (!pathNode.isString()) {
            qWarning().noquote() << "PATH is not a string. " + LogRedaction::forLog(ZZJSON::toQString(node));
        } else {
            QString path = QString::fromStdString(pathNode.asString());
            getAndSolvePath(path);
            Json::Value value;
            getMasterJSONbyPath(path, value, true);
            if (value.isString())
                defaultText = QString::fromStdString(value.asString());
            else
                qWarning().noquote() << "Default-Text could not bet set. "
                                            + LogRedaction::forLog(ZZJSON::toQString(node));
        }
    }

    int number = 0;
    if (toInt(idNode, number))
        id = number;
    else if (idNode.isNumeric())
        qWarning().noquote() << "Text id out of range: " + QString::fromStdString(idNode.asString());

    text = getTranslation(id, defaultText);
}

// --- Login state ----------------------------------------------------------

void JSONUtil::setToken(const QString& value)
{
    AnnotatedMutexLocker locker(&tokenMutex);
    token = value;
}

QString JSONUtil::getToken()
{
    AnnotatedMutexLocker locker(&tokenMutex);
    return token;
}

HTTPRequestUtil* JSONUtil::getHTTPRequestUtil()
{
    return httpRequestUtil;
}

void JSONUtil::setCustomPlotLineUtil(CustomPlotLineUtil* util)
{
    // Waits for a hand-over in progress: once this returns, the previous
    // worker gets no more data and may go.
    AnnotatedMutexLocker locker(&chartMutex);
    chartUtil = util;
}

void JSONUtil::login(Json::Value& loginData)
{
    setToken(QString());
    clearReceiveJSON();
    httpRequestUtil->login(loginData);
}

void JSONUtil::handleLoginReply(const QByteArray& data)
{
    Json::Value reply;
    try {
        // An answer that does not parse counts as no answer: reply stays null.
        getJsonFromByteArray(data, reply);
        forwardMessages(reply);
    } catch (const std::exception& e) {
        qWarning().noquote() << "Login answer could not be handled:" << e.what();
    }
    emit loginAvailable(reply);
}

void JSONUtil::logout()
{
    httpRequestUtil->logout();
    setToken(QString());
}

// --- Master JSON dump -----------------------------------------------------

bool JSONUtil::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const QKeyEvent* keyEvent = static_cast<const QKeyEvent*>(event);
        const int key = keyEvent->key();
        if ((key == Qt::Key_F11 || key == Qt::Key_F12) && !keyEvent->isAutoRepeat()) {
            if (type == QEvent::KeyPress) {
                keysHeld.insert(key);
            } else {
                if (keysHeld.contains(Qt::Key_F11) && keysHeld.contains(Qt::Key_F12) && !chordDumped) {
                    dumpMasterJSON();
                    chordDumped = true;   // one file per chord
                }
                keysHeld.remove(key);
                if (keysHeld.isEmpty())
                    chordDumped = false;
            }
        }
    }
    return CommonJSONUtil::eventFilter(watched, event);
}

void JSONUtil::dumpMasterJSON()
{
    const QString fileName = FileUtil::basePath() + QStringLiteral("/MasterJson_")
                             + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmsszzz"))
                             + QStringLiteral(".json");
    // The dump leaves the token and every password out.
    Json::Value tree = getSnapshot();
    LogRedaction::maskSecrets(tree);
    writeJsonFile(fileName, tree);
}
