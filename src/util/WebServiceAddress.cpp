#include "util/WebServiceAddress.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QUrl>

namespace WebServiceAddress {

Problem check(const QString& host, const QString& port)
{
    if (host.isEmpty())
        return Problem::EmptyHost;
    if (!isValidHost(host))
        return Problem::BadHost;
    if (!isValidPort(port))
        return Problem::BadPort;
    return Problem::None;
}

bool isValidHost(const QString& host)
{
    if (host.isEmpty())
        return false;
    // An IPv6 address is written in brackets, as in a URL: "[::1]". Without
    // them its colons cannot be told from a port.
    if (host.startsWith(QLatin1Char('[')) || host.endsWith(QLatin1Char(']'))) {
        if (host.size() < 3 || !host.startsWith(QLatin1Char('[')) || !host.endsWith(QLatin1Char(']')))
            return false;
        QHostAddress address;
        return address.setAddress(host.mid(1, host.size() - 2))
               && address.protocol() == QAbstractSocket::IPv6Protocol && address.scopeId().isEmpty();
    }
    if (host.contains(QLatin1Char(':')))
        return false;
    // Digits and dots only is meant as an IPv4 address, so it must be one.
    static const QRegularExpression numeric(QStringLiteral("^[0-9.]+$"));
    if (numeric.match(host).hasMatch()) {
        QHostAddress address;
        return address.setAddress(host) && address.protocol() == QAbstractSocket::IPv4Protocol
               && host.count(QLatin1Char('.')) == 3;
    }
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(host, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty();
}

bool isValidPort(const QString& port)
{
    if (port.isEmpty())
        return true;
    bool isNumber = false;
    const int number = port.toInt(&isNumber);
    return isNumber && number >= 1 && number <= 65535;
}

} // namespace WebServiceAddress
