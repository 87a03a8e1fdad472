#pragma once

#include "common/TableStructure.h"

#include <QList>
#include <QPointer>
#include <QSet>
#include <QTableWidget>

#include <functional>

class EditTableDelegate;
class QTimer;

// The one table widget of the client. It shows a TableStructure as items and
// cell widgets, routes every edit of a cell widget or line editor into the
// held table and reports it as changeValue with the cell's changed flag set,
// reports clicks on link cells, opens document links, tells its owner while
// the user scrolls and whether an editor is open (screens hold back table
// refreshes while isEditing() is true).
//
// Cell widgets that report back carry the dynamic properties
// "PropertyIdentifier" (qint64, unique within the table), "PropertyRow" and
// "PropertyColumn". GUI thread only.
class TableObject : public QTableWidget
{
    Q_OBJECT

public:
    enum TableFailure {
        DOCUMENT_OPEN_FAILED = 0  // the document of a link cell failed to open
    };
    Q_ENUM(TableFailure)

    static constexpr int ROW_HEIGHT = 65;
    static constexpr int SCROLL_END_MS = 2000;
    static constexpr int STATUS_MESSAGE_MS = 10000;

    explicit TableObject(QWidget* parent = nullptr);
    ~TableObject() override;

    // Header from the table's entries; nothing happens when text, visibility
    // and column count are those already shown.
    void setTableHeader(const TableStructure& table);
    // Header made of widgets (combo boxes, check buttons), one column each.
    // The table owns the widgets from now on: they are deleted when a later
    // call gets other widgets.
    void setHeaderWidgets(QList<QWidget*>& widgets, bool visible);

    // Full rebuild of every cell; rows are ROW_HEIGHT high. With keepScroll the
    // vertical scroll bar returns to scrollPos; a non-empty statusText is shown
    // in the status bar; enableInput switches input on afterwards.
    bool setTableData(const TableStructure& table, const bool& enableInput, const QString& statusText,
                      const bool& keepScroll, const int& scrollPos);
    bool setTableData(const TableStructure& table, const bool& keepScroll, const int& scrollPos);
    // Rebuilds, inside the bounds of the shown table, only the cells that
    // differ, then holds the new table. Input stays off until setInputEnabled.
    bool refreshTableData(const TableStructure& newTable);

    // The shown table with the user's changes.
    TableStructure getTable() const;
    void clearTableContent();
    void clearTable();

    void setInputEnabled(bool enabled);
    bool isInputEnabled() const { return inputEnabled; }
    // Line flags, see EditTableDelegate::TableStyle; the view's grid is shown
    // only for vertical and horizontal lines together.
    void setTableStyle(int flags);
    // Fixed width for an existing column; other columns are left alone.
    void setColumnWidth(const int& column, const int& width);
    // True while a line editor or a cell widget's popup or editor is open.
    bool isEditing() const;
    // The one rule for refreshes that meet an open editor: the user's edit
    // wins while it is open, and the refresh is done once, as soon as
    // whatever ends the last edit is over: a line editor, a combo, date or
    // time editor closing, or a rebuild. Runs refresh now when no editor is
    // open; else holds it (in place of one held before) until then. A table
    // hidden meanwhile runs it when it shows again; cleared, it drops it.
    void refreshWhenIdle(const std::function<void()>& refresh);
    bool holdsRefresh() const { return static_cast<bool>(heldRefresh); }

    // The owner's answer to detectDisplayWidget: places widget at (row, column).
    void insertCellWidget(QWidget* widget, const TableCell& cell, const int& row, const int& column);

signals:
    void changeValue(int row, int column, TableCell& cell);
    void clickValue(int& row, int& column, TableCell& cell);
    void enablingInput(bool enabled);
    void detectDisplayWidget(int row, int column, TableCell cell);
    void scrollingBegin();
    void scrollingEnd();
    void detectFailure(TableObject::TableFailure failure, QString path);

public slots:
    void clickCellElement();
    void clickCheckBox(bool state);
    void clickTable(QTableWidgetItem* item);
    void changedCellValue(int row, int column);
    void changedIndex(int index);
    void changedText(QString text);
    void changedContent();
    void addEditorCount();
    void reduceEditorCount();
    void table_scrollEnd();

private slots:
    void runHeldRefresh();
    void runHeldRefreshLater();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The cell factory (TableObjectCells.cpp).
    void createCellElement(const TableCell& cell, const int& row, const int& column);
    void createWidgetCell(const TableCell& cell, int row, int column);
    void setCellProperties(QWidget* widget, int row, int column);
    QWidget* cellContainer(int alignment);
    void placeInContainer(QWidget* widget, QWidget* container, int row, int column);
    void setItemCell(QTableWidgetItem* item, int row, int column);
    void applyRights(QWidget* widget, int rights);
    void clearCell(int row, int column);

    // Row and column of an edit slot's sender; false when it has none or the
    // position lies outside the held table.
    bool senderPosition(QObject* source, int& row, int& column) const;
    void openLabelLink(const QString& link);
    void setSpanFor(const TableCell& cell, int row, int column);
    void releaseHeaderWidgets(const QList<QWidget*>& keep);
    // A rebuild ends the edits of the cells it replaced.
    void endEditsOfRebuild();

    QTimer* scrollTimer;
    bool scrolling = false;
    EditTableDelegate* delegate;
    bool inputEnabled = false;
    QSet<qint64> openEditors;
    std::function<void()> heldRefresh;   // waits for the last editor to close
    qint64 nextIdentifier = 0;
    // Widgets of the current widget header; deleted when replaced.
    QList<QPointer<QWidget>> headerWidgets;
};
