#pragma once

#include "dao/RequestMethod.h"

#include <QByteArray>
#include <QString>

// URL, method and body of one web-service request.
class PreparedRequest
{
public:
    PreparedRequest() = default;
    PreparedRequest(const QString& url, RequestMethod method, const QByteArray& body)
        : url(url), method(method), body(body) {}

    QString getUrl() const { return url; }
    void setUrl(const QString& value) { url = value; }
    RequestMethod getMethod() const { return method; }
    void setMethod(RequestMethod value) { method = value; }
    QByteArray getBody() const { return body; }
    void setBody(const QByteArray& value) { body = value; }

private:
    QString url;
    RequestMethod method = RequestMethod::Post;
    QByteArray body;
};
