#pragma once

// Building tables for the table-widget tests and finding what a cell shows.

#include "common/TableStructure.h"
#include "view/TableObject.h"
#include "widgets/ZClickLabel.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QWidget>

#include <functional>

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

// The text of a table item; empty when the cell has none.
inline QString itemText(const QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* item = table->item(row, column);
    return item ? item->text() : QString();
}

inline QStringList columnTexts(const QTableWidget* table, int column)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts << itemText(table, row, column);
    return texts;
}

// A tap on the middle of a cell, as a finger gives it.
inline void tapCell(QTableView* table, int row, int column)
{
    const QRect place = table->visualRect(table->model()->index(row, column));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
}

struct CellPlace
{
    int row = -1;
    int column = -1;
    bool found() const { return row >= 0; }
};

// The first cell of shown (row by row) that is wanted.
inline CellPlace findCell(const TableStructure& shown, const std::function<bool(const TableCell&)>& wanted)
{
    for (int r = 0; r < shown.getRows().size(); ++r)
        for (int c = 0; c < shown.getRows().at(r).size(); ++c)
            if (wanted(shown.getRows().at(r).at(c)))
                return {r, c};
    return {};
}

inline CellPlace cellWithPath(const TableStructure& shown, const QString& path)
{
    return findCell(shown, [&](const TableCell& cell) { return cell.getPath() == path; });
}

// Opens a cell's line editor, types text over its content (an empty text
// empties it) and presses Return; false when no line editor opened.
inline bool typeIntoCell(QTableWidget* table, int row, int column, const QString& text)
{
    QTableWidgetItem* item = table->item(row, column);
    if (!item)
        return false;
    table->editItem(item);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (!editor)
        return false;
    editor->selectAll();
    if (text.isEmpty())
        QTest::keyClick(editor, Qt::Key_Backspace);   // emptied, as a user does
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    return true;
}

// Clicks the link a cell shows; false when it shows no visible, enabled one.
inline bool clickLink(TableObject& object, int row, int column)
{
    auto* link = qobject_cast<ZClickLabel*>(reporting(object, row, column));
    if (!link || !link->isVisible() || !link->isEnabled())
        return false;
    QTest::mouseClick(link, Qt::LeftButton);
    return true;
}

// Widgets given to deleteLater are gone afterwards.
inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace tabletest
