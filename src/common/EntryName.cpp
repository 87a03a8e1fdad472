#include "common/EntryName.h"

#include <QStringList>

namespace {

bool showsText(const TableCell& cell)
{
    switch (cell.getCellType()) {
    case TableCell::TEXT:
    case TableCell::TEXT_EDIT:
    case TableCell::GROWING_TEXT:
        return true;
    default:
        return false;
    }
}

} // namespace

QString entryName(const TableStructure& table, int row, int column)
{
    if (!table.contains(row, column))
        return QString();
    QStringList parts;
    parts << table.getTitle();
    const QVector<TableCell>& cells = table.rowAt(row);
    for (int c = 0; c < column; ++c) {
        const QString text = cells.at(c).getValue().toString().trimmed();
        if (showsText(cells.at(c)) && !text.isEmpty()) {
            parts << text;
            break;
        }
    }
    const QVector<TableEntry> header = table.getHeader();
    if (table.getHeaderVisible() && column < header.size())
        parts << header.at(column).getValue().toString();
    return entryName(parts);
}

QString entryName(QStringList parts)
{
    for (QString& part : parts)
        part = part.trimmed();
    parts.removeAll(QString());
    return parts.join(QStringLiteral(" – "));
}
