#pragma once

#include <QString>
#include <QVariant>

// One entry of a table: the base of a cell and the element of a table header.
// Both members default to the empty string (not an invalid QVariant), so a
// fresh entry compares equal to its copy.
class TableEntry
{
public:
    TableEntry();
    // A header entry: value is the column's header text, data stays "".
    TableEntry(const QVariant& value);

    QVariant getData() const { return data; }
    void setData(const QVariant& newData) { data = newData; }

    QVariant getValue() const { return value; }
    void setValue(const QVariant& newValue) { value = newValue; }

protected:
    QVariant data;   // option list, display format, status flags or document path, by cell type
    QVariant value;  // what is shown or edited; the header text in a header entry
};
