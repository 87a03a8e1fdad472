#include "common/TableStructure.h"

#include <QStringList>

TableStructure::TableStructure() = default;

TableStructure::TableStructure(const TableStructure& other) = default;

TableStructure& TableStructure::operator=(const TableStructure& other)
{
    title = other.title;
    aut = other.aut;
    tableType = other.tableType;
    headerVisible = other.headerVisible;
    header = other.header;
    rows = other.rows;
    path = other.path;
    idxPath = other.idxPath;
    contPath = other.contPath;
    return *this;
}

QVector<TableCell>& TableStructure::getRow(int row)
{
    Q_ASSERT(row >= 0 && row < rows.size());
    return rows[row];  // non-const access detaches the shared rows
}

QString TableStructure::getHeaderKey(QChar separator) const
{
    QStringList texts;
    texts.reserve(header.size());
    for (const TableEntry& entry : header)
        texts.append(entry.getValue().toString());
    return texts.join(separator);
}

bool TableStructure::contains(int row, int column) const
{
    return row >= 0 && row < rows.size() && column >= 0 && column < rows.at(row).size();
}

void TableStructure::registerMetaTypes()
{
    qRegisterMetaType<TableStructure>("TableStructure");
    qRegisterMetaType<TableStructure>("TableStructure&");
    qRegisterMetaType<TableCell>("TableCell");
    qRegisterMetaType<TableCell>("TableCell&");
}
