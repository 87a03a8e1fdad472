#include "common/ZZJSON.h"

QString ZZJSON::toQString(const Json::Value& value)
{
    return QString::fromUtf8(toByteArray(value));
}

QByteArray ZZJSON::toByteArray(const Json::Value& value)
{
    Json::FastWriter writer;
    const std::string text = writer.write(value);
    return QByteArray(text.data(), static_cast<int>(text.size()));
}

QString ZZJSON::toStyledQString(const Json::Value& value)
{
    return QString::fromStdString(value.toStyledString());
}
