#pragma once

#include "common/TableStructure.h"

#include <QString>
#include <QStringList>

// The entry of a table cell as the screen names it to the user, for a notice
// about its write: the table's title, the row's name (the first text left of
// the cell) and, when the table shows its header, the column's heading,
// joined by " – ". Empty when none of them is known.
QString entryName(const TableStructure& table, int row, int column);
// The parts that are not blank, trimmed and joined by " – ".
QString entryName(QStringList parts);
