#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QVariant>

// One stored answer: its body and the key its request was sent with.
class Reply
{
public:
    Reply() = default;
    Reply(const QVariant& key, const QByteArray& data) : data(data), key(key) {}

    QByteArray getData() const { return data; }
    void setData(const QByteArray& value) { data = value; }
    QVariant getKey() const { return key; }
    void setKey(const QVariant& value) { key = value; }

private:
    QByteArray data;
    QVariant key;
};

Q_DECLARE_METATYPE(Reply)
