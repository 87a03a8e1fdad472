#include "common/TableCell.h"

TableCell::TableCell() = default;

bool TableCell::operator==(const TableCell& other) const
{
    if (path != other.path)
        return false;
    if (cellType != other.cellType || rights != other.rights || columnSpan != other.columnSpan)
        return false;
    // Plain double comparison: a NaN limit never equals.
    if (!(max == other.max) || !(min == other.min))
        return false;
    if (dg != other.dg || dp != other.dp || limitFlags != other.limitFlags)
        return false;
    if (regx != other.regx)
        return false;
    if (rowSpan != other.rowSpan)
        return false;
    if (!data.isValid() || !other.data.isValid() || data != other.data)
        return false;
    if (value.isValid() != other.value.isValid() || value != other.value)
        return false;
    return true;
}
