#pragma once

// Building tables for the table-widget tests and finding what a cell shows.

#include "common/TableStructure.h"
#include "view/TableObject.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

namespace tabletest {

inline TableCell cell(TableCell::CellType type, const QVariant& value, int rights = TableCell::EDITABLE,
                      const QVariant& data = QVariant(QString("")))
{
    TableCell result;
    result.setCellType(type);
    result.setValue(value);
    result.setData(data);
    result.setRights(rights);
    result.setPath(QStringLiteral("$.CONF.E%1.VAL").arg(int(type)));
    return result;
}

inline TableStructure table(const QVector<QVector<TableCell>>& rows, int columns,
                            int kind = TableStructure::ROWS)
{
    TableStructure result;
    result.setTableType(kind);
    QVector<TableEntry> header;
    for (int c = 0; c < columns; ++c)
        header.append(TableEntry(QStringLiteral("Spalte %1").arg(c)));
    result.setHeader(header);
    result.setRows(rows);
    return result;
}

// Header, then a full rebuild with input switched on.
inline void show(TableObject& object, const TableStructure& shown, bool enableInput = true)
{
    object.setTableHeader(shown);
    object.setTableData(shown, enableInput, QString(), false, 0);
}

// The widget that reports for a cell: the cell widget itself, or the one the
// container holds (the only one there with the cell properties).
inline QWidget* reporting(TableObject& object, int row, int column)
{
    QWidget* shown = object.cellWidget(row, column);
    if (!shown || shown->property("PropertyIdentifier").isValid())
        return shown;
    const QList<QWidget*> inside = shown->findChildren<QWidget*>();
    for (QWidget* widget : inside) {
        if (widget->property("PropertyIdentifier").isValid())
            return widget;
    }
    return shown;
}

template <typename T>
T* reportingAs(TableObject& object, int row, int column)
{
    return qobject_cast<T*>(reporting(object, row, column));
}

// Widgets given to deleteLater are gone afterwards.
inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tabletest
