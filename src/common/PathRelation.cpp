#include "common/PathRelation.h"

#include <QString>
#include <QStringView>
#include <QVarLengthArray>

namespace {

using Steps = QVarLengthArray<QStringView, 16>;   // no allocation for usual paths

// The steps of a path: "$", ".NAME" and bracket steps ("[2]", "[*]", "[?(...)]"),
// a bracket step running to its matching "]".
Steps steps(const QString& path)
{
    Steps result;
    int start = 0;
    int depth = 0;
    for (int i = 0; i < path.size(); ++i) {
        const QChar c = path.at(i);
        if (depth == 0 && i > start && (c == QLatin1Char('.') || c == QLatin1Char('['))) {
            result.append(QStringView(path).mid(start, i - start));
            start = i;
        }
        if (c == QLatin1Char('['))
            ++depth;
        else if (c == QLatin1Char(']') && depth > 0)
            --depth;
    }
    if (start < path.size())
        result.append(QStringView(path).mid(start));
    return result;
}

bool isAnyIndex(QStringView step)
{
    return step == QLatin1String("[*]");
}

bool isIndex(QStringView step)
{
    if (step.size() < 3 || !step.startsWith(QLatin1Char('[')) || !step.endsWith(QLatin1Char(']')))
        return false;
    if (isAnyIndex(step))
        return true;
    for (int i = 1; i < step.size() - 1; ++i) {
        if (!step.at(i).isDigit())
            return false;
    }
    return true;
}

// Whether step a names step b, a "[*]" of a (and of b, when bWild) standing for any index.
bool stepMatches(QStringView a, QStringView b, bool bWild)
{
    if (a == b)
        return true;
    return isIndex(a) && isIndex(b) && (isAnyIndex(a) || (bWild && isAnyIndex(b)));
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
    if (outer.isEmpty() || path.isEmpty())
        return false;
    const Steps outerSteps = steps(outer);
    const Steps pathSteps = steps(path);
    if (outerSteps.size() > pathSteps.size())
        return false;
    for (int i = 0; i < outerSteps.size(); ++i) {
        if (!stepMatches(outerSteps.at(i), pathSteps.at(i), false))
            return false;
    }
    return true;
}

bool pathsOverlap(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const Steps aSteps = steps(a);
    const Steps bSteps = steps(b);
    const int common = qMin(aSteps.size(), bSteps.size());
    for (int i = 0; i < common; ++i) {
        if (!stepMatches(aSteps.at(i), bSteps.at(i), true))
            return false;
    }
    return true;
}
