#pragma once

#include "common/TableCell.h"
#include "common/TableEntry.h"

#include <QChar>
#include <QMetaType>
#include <QString>
#include <QVector>

// One table for the table widget, copied by value between the worker that
// builds it and the screen that shows it.
class TableStructure
{
public:
    // Kind of table.
    enum TableType {
        ROWS = 0,  // one configuration entry per row
        STAB = 1,  // column table with a selected-row index
        DTAB = 2   // column table without index
    };

    TableStructure();
    TableStructure(const TableStructure& other);
    TableStructure& operator=(const TableStructure& other);

    QString getTitle() const { return title; }
    void setTitle(const QString& newTitle) { title = newTitle; }

    // User level the device requires; carried along, the table widget ignores it.
    int getAut() const { return aut; }
    void setAut(const int& level) { aut = level; }

    int getTableType() const { return tableType; }
    void setTableType(const int& type) { tableType = type; }

    bool getHeaderVisible() const { return headerVisible; }
    void setHeaderVisible(bool visible) { headerVisible = visible; }

    QVector<TableEntry> getHeader() const { return header; }
    void setHeader(const QVector<TableEntry>& entries) { header = entries; }

    QVector<QVector<TableCell>> getRows() const { return rows; }
    void setRows(const QVector<QVector<TableCell>>& newRows) { rows = newRows; }

    QString getPath() const { return path; }
    void setPath(const QString& newPath) { path = newPath; }
    QString getIdxPath() const { return idxPath; }
    void setIdxPath(const QString& newPath) { idxPath = newPath; }
    QString getContPath() const { return contPath; }
    void setContPath(const QString& newPath) { contPath = newPath; }

    // A modifiable row of this table's own rows (detached from any copy).
    // The index must be valid.
    QVector<TableCell>& getRow(int row);

    // The header texts joined by separator; the table widget compares them to
    // see whether the header changed.
    QString getHeaderKey(QChar separator) const;

    // Number of rows, and whether (row, column) names a cell of this table.
    int rowCount() const { return rows.size(); }
    bool contains(int row, int column) const;
    // The cell at a position that contains() accepts, without copying the rows.
    const TableCell& cellAt(int row, int column) const { return rows.at(row).at(column); }
    const QVector<TableCell>& rowAt(int row) const { return rows.at(row); }

    // Registers "TableStructure", "TableStructure&", "TableCell" and
    // "TableCell&" for queued connections (signals pass tables by reference).
    static void registerMetaTypes();

private:
    QString title;
    int aut = 0;
    int tableType = ROWS;
    bool headerVisible = false;
    QVector<TableEntry> header;
    QVector<QVector<TableCell>> rows;
    QString path;
    QString idxPath;
    QString contPath;
};

Q_DECLARE_METATYPE(TableStructure)
