#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The displayed channels as the last list build found them (concrete paths
// and names, always parallel) and which of them is current. Plain data: the
// measured-value worker keeps it under its worker's mutex.
class MeasureDisplayUtilChannelList
{
public:
    QVector<QString> paths;
    QVector<QString> names;
    QString currentPath;
    // A channel handed over before a list held it, or the one current when
    // the list became empty; applied by the next list with channels.
    QString pendingPath;
    // The names or the current channel changed since they were last handed
    // to the screens.
    bool comboChanged = false;

    // Takes a new build's result. The current channel stays while listed; a
    // pending hand-over wins when listed; otherwise the first channel, and
    // none for an empty list (which keeps the current one pending).
    void publish(const QVector<QString>& newPaths, const QVector<QString>& newNames);

    // Makes path current when it is listed (true); otherwise remembers it
    // for the next list (false).
    bool select(const QString& path);

    int indexOf(const QString& path) const { return path.isEmpty() ? -1 : paths.indexOf(path); }
    int currentIndex() const { return indexOf(currentPath); }
    QStringList nameList() const { return QStringList(names.cbegin(), names.cend()); }

    void clear();
};
