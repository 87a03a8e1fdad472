#include "common/TableEntry.h"

TableEntry::TableEntry()
    : data(QString(""))
    , value(QString(""))
{
}

TableEntry::TableEntry(const QVariant& value)
    : data(QString(""))
    , value(value)
{
}
