#include "common/PathRelation.h"

#include <QString>

namespace {

bool atBoundary(const QString& path, int position)
{
    return position == path.size() || path.at(position) == QLatin1Char('.') || path.at(position) == QLatin1Char('[');
}

// The end of an index step "[n]" or "[*]" of path starting at open; -1 when there is none.
int indexStepEnd(const QString& path, int open)
{
    const int close = path.indexOf(QLatin1Char(']'), open);
    if (close <= open + 1)
        return -1;
    if (close == open + 2 && path.at(open + 1) == QLatin1Char('*'))
        return close + 1;
    for (int i = open + 1; i < close; ++i) {
        if (!path.at(i).isDigit())
            return -1;
    }
    return close + 1;
}

bool isAnyIndex(const QString& path, int open, int end)
{
    return end == open + 3 && path.at(open + 1) == QLatin1Char('*');
}

} // namespace

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

bool pathCovers(const QString& outer, const QString& path)
{
    static const QString anyIndex = QStringLiteral("[*]");
    int i = 0;
    int j = 0;
    while (i < outer.size()) {
        if (j >= path.size())
            return false;
        if (path.at(j) == QLatin1Char('[') && QStringView(outer).mid(i).startsWith(anyIndex)) {
            const int end = indexStepEnd(path, j);
            if (end < 0)
                return false;
            i += anyIndex.size();
            j = end;
            continue;
        }
        if (outer.at(i) != path.at(j))
            return false;
        ++i;
        ++j;
    }
    return atBoundary(path, j);
}

bool pathsOverlap(const QString& a, const QString& b)
{
    int i = 0;
    int j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i) == QLatin1Char('[') && b.at(j) == QLatin1Char('[')) {
            const int endA = indexStepEnd(a, i);
            const int endB = indexStepEnd(b, j);
            if (endA > 0 && endB > 0) {
                if (!isAnyIndex(a, i, endA) && !isAnyIndex(b, j, endB)
                    && QStringView(a).mid(i, endA - i) != QStringView(b).mid(j, endB - j))
                    return false;
                i = endA;
                j = endB;
                continue;
            }
        }
        if (a.at(i) != b.at(j))
            return false;
        ++i;
        ++j;
    }
    return i == a.size() ? atBoundary(b, j) : atBoundary(a, i);
}
