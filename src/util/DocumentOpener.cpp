#include "util/DocumentOpener.h"

#include <QDesktopServices>
#include <QDir>

namespace {

bool isAbsoluteLocalPath(const QString& path)
{
    // ":/..." is a resource path, which no desktop viewer can open.
    return !path.startsWith(QLatin1Char(':')) && QDir::isAbsolutePath(path);
}

} // namespace

QUrl DocumentOpener::toUrl(const QString& target)
{
    const QString text = target.trimmed();
    if (text.isEmpty())
        return QUrl();
    if (isAbsoluteLocalPath(text))
        return QUrl::fromLocalFile(QDir::cleanPath(text));

    const QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid())
        return QUrl();
    const QString scheme = url.scheme().toLower();
    if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty())
        return url;
    if (scheme == QLatin1String("file") && isAbsoluteLocalPath(url.toLocalFile()) && url.host().isEmpty())
        return QUrl::fromLocalFile(QDir::cleanPath(url.toLocalFile()));
    return QUrl();
}

bool DocumentOpener::open(const QString& target)
{
    const QUrl url = toUrl(target);
    if (url.isEmpty()) {
        qWarning("Refused to open \"%s\": only http, https and absolute local files are opened.",
                 qUtf8Printable(target));
        return false;
    }
    const Hook& hook = currentHook();
    return hook ? hook(url) : QDesktopServices::openUrl(url);
}

void DocumentOpener::setHook(Hook hook)
{
    currentHook() = std::move(hook);
}

DocumentOpener::Hook& DocumentOpener::currentHook()
{
    static Hook hook;
    return hook;
}
