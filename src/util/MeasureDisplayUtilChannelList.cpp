#include "util/MeasureDisplayUtilChannelList.h"

void MeasureDisplayUtilChannelList::publish(const QVector<QString>& newPaths, const QVector<QString>& newNames)
{
    const QString formerPath = currentPath;
    const bool namesChanged = newNames != names;
    paths = newPaths;
    names = newNames;

    // Channels gone for a while (their container deleted, not read again
    // yet): the channel shown is shown again when they are back.
    if (paths.isEmpty() && pendingPath.isEmpty())
        pendingPath = currentPath;
    if (!pendingPath.isEmpty() && !paths.isEmpty()) {
        if (paths.contains(pendingPath))
            currentPath = pendingPath;
        pendingPath.clear();   // a full list without it: that channel is not there
    }
    if (!paths.contains(currentPath))
        currentPath = paths.isEmpty() ? QString() : paths.first();
    comboChanged = comboChanged || namesChanged || currentPath != formerPath;
}

bool MeasureDisplayUtilChannelList::select(const QString& path)
{
    if (indexOf(path) >= 0) {
        pendingPath.clear();
        currentPath = path;
        return true;
    }
    pendingPath = path;
    return false;
}

void MeasureDisplayUtilChannelList::clear()
{
    paths.clear();
    names.clear();
    currentPath.clear();
    pendingPath.clear();
    comboChanged = true;   // the screens show the empty list
}
