#pragma once

// Tables as a screen hands them to DeviceConfigUtil::saveConfig: cells the
// user changed, in one row.

#include "common/TableCell.h"
#include "common/TableStructure.h"

#include <QString>
#include <QVariant>
#include <QVector>

// An editable text cell at path whose value the user changed to value.
inline TableCell changedCell(const QString& path, const QVariant& value)
{
    TableCell cell;
    cell.setCellType(TableCell::TEXT_EDIT);
    cell.setRights(TableCell::EDITABLE);
    cell.setChanged(true);
    cell.setPath(path);
    cell.setValue(value);
    return cell;
}

inline TableStructure tableOf(const QVector<TableCell>& cells)
{
    TableStructure table;
    table.setRows({cells});
    return table;
}
