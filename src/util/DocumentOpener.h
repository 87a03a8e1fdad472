#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Opens documents and links named by the device (document cells, links in
// cell labels) with the desktop's viewer. Only web pages (http, https) and
// absolute local files are opened; anything else a device might send
// (other schemes, relative or drive-letter paths) is refused.
// The actual opening goes through a replaceable hook, so tests never start a
// real viewer. GUI thread only.
class DocumentOpener
{
public:
    using Hook = std::function<bool(const QUrl&)>;

    // The URL for a path or link text, or an empty QUrl when it is not allowed.
    static QUrl toUrl(const QString& target);

    // Opens target; false when it was refused or the viewer failed.
    static bool open(const QString& target);

    // Replaces the opener (QDesktopServices::openUrl); an empty hook restores it.
    static void setHook(Hook hook);

private:
    static Hook& currentHook();
};
