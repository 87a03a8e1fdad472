#include "common/PathRelation.h"

#include <QString>

bool pathsRelated(const QString& path, const QString& other)
{
    if (path.size() == other.size())
        return path == other;
    const QString& shorter = path.size() < other.size() ? path : other;
    const QString& longer = path.size() < other.size() ? other : path;
    if (!longer.startsWith(shorter))
        return false;
    const QChar next = longer.at(shorter.size());
    return next == QLatin1Char('.') || next == QLatin1Char('[');
}

bool pathAtOrBelow(const QString& path, const QString& node)
{
    return path.size() >= node.size() && pathsRelated(path, node);
}
