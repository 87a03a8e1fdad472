#include "view/TableObject.h"

#include "common/Severity.h"
#include "util/DocumentOpener.h"
#include "view/EditTableDelegate.h"
#include "view/OverallView.h"
#include "view/StatusBar.h"
#include "widgets/ZCalendarWidget.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZHorizontalHeader.h"
#include "widgets/ZRadioGroup.h"
#include "widgets/ZTimeEdit.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>

#include <utility>

TableObject::TableObject(QWidget* parent)
    : QTableWidget(parent)
{
    setObjectName(QStringLiteral("TableObject"));
    qRegisterMetaType<TableObject::TableFailure>("TableObject::TableFailure");
    // The signals pass cells by reference; owners may queue them.
    TableStructure::registerMetaTypes();
    setSelectionMode(QAbstractItemView::NoSelection);
    verticalHeader()->hide();
    // clickValue passes row and column by reference; owners may queue it too.
    qRegisterMetaType<int>("int&");
    delegate = new EditTableDelegate(this);
    setItemDelegate(delegate);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(delegate, &EditTableDelegate::updateCellValue, this, &TableObject::changedCellValue);
    connect(delegate, &EditTableDelegate::lastEditorClosed, this, &TableObject::runHeldRefreshLater);
    connect(this, &QTableWidget::itemClicked, this, &TableObject::clickTable);
    scrollTimer = new QTimer(this);
    scrollTimer->setSingleShot(true);
    connect(scrollTimer, &QTimer::timeout, this, &TableObject::table_scrollEnd);
}

TableObject::~TableObject()
{
    // The base class destroys the cell widgets after this part of the object
    // is gone; closing popups and losing focus must not call back into it.
    const QList<QObject*> cellObjects = viewport()->findChildren<QObject*>();
    for (QObject* cellObject : cellObjects)
        disconnect(cellObject, nullptr, this, nullptr);
    // The header widgets are ours: deleted here, so the widget header (which
    // only lets go of what still sits in it) finds nothing to hand back. No
    // new child may be made now: the parent may be in its destruction.
    for (const QPointer<QWidget>& widget : qAsConst(headerWidgets))
        delete widget.data();
    setItemDelegate(nullptr);
    delete delegate;
}

// ------------------------------------------------------------------ header

void TableObject::setTableHeader(const TableStructure& table)
{
    const TableStructure shown = delegate->getTable();
    const int count = table.getHeader().size();
    if (shown.getHeaderKey(QLatin1Char(';')) == table.getHeaderKey(QLatin1Char(';'))
        && shown.getHeaderVisible() == table.getHeaderVisible() && shown.getHeader().size() == count
        && columnCount() == count)
        return;

    setColumnCount(0);
    clear();
    clearTableContent();
    setColumnCount(count);
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(false);
    const QVector<TableEntry> entries = table.getHeader();
    for (int column = 0; column < count; ++column) {
        if (table.getHeaderVisible()) {
            auto* item = new QTableWidgetItem(entries.at(column).getValue().toString());
            item->setTextAlignment(Qt::AlignLeft | Qt::AlignHCenter | Qt::AlignVCenter);
            setHorizontalHeaderItem(column, item);
        }
        header->setSectionResizeMode(column, QHeaderView::Stretch);
    }
    if (table.getHeaderVisible()) {
        header->setTextElideMode(Qt::ElideRight);
        header->show();
    } else {
        header->hide();
    }
}

void TableObject::setHeaderWidgets(QList<QWidget*>& widgets, bool visible)
{
    setColumnCount(0);
    clear();
    clearTableContent();
    setColumnCount(widgets.size());

    // The old widget header goes first, so it lets go of widgets the new one
    // takes over before those change hands.
    if (qobject_cast<ZHorizontalHeader*>(horizontalHeader()))
        setHorizontalHeader(new QHeaderView(Qt::Horizontal, this));
    releaseHeaderWidgets(widgets);

    auto* header = new ZHorizontalHeader(widgets, this);
    setHorizontalHeader(header);
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setVisible(visible);
    for (QWidget* widget : qAsConst(widgets))
        headerWidgets.append(QPointer<QWidget>(widget));
}

void TableObject::releaseHeaderWidgets(const QList<QWidget*>& keep)
{
    for (const QPointer<QWidget>& widget : qAsConst(headerWidgets)) {
        if (widget && !keep.contains(widget.data()))
            widget->deleteLater();
    }
    headerWidgets.clear();
}

void TableObject::setColumnWidth(const int& column, const int& width)
{
    QHeaderView* header = horizontalHeader();
    if (column < 0 || column >= header->count())
        return;
    header->setSectionResizeMode(column, QHeaderView::Fixed);
    QTableWidget::setColumnWidth(column, width);
}

// -------------------------------------------------------------- rebuilding

bool TableObject::setTableData(const TableStructure& table, const bool& enableInput, const QString& statusText,
                               const bool& keepScroll, const int& scrollPos)
{
    delegate->setTable(table);
    emit enablingInput(false);
    // Updates stay on: the rebuild never returns to the event loop, so nothing
    // is painted half built, while switching updates back on afterwards would
    // mark every cell widget for repainting one by one.
    clearTableContent();
    const int rows = table.rowCount();
    setRowCount(rows);
    const int columns = columnCount();
    for (int row = 0; row < rows; ++row) {
        setRowHeight(row, ROW_HEIGHT);
        const QVector<TableCell>& cells = table.rowAt(row);
        for (int column = 0; column < cells.size() && column < columns; ++column) {
            const TableCell& cell = cells.at(column);
            setSpanFor(cell, row, column);
            createCellElement(cell, row, column);
        }
    }
    if (keepScroll && rows > 0) {
        // One extra row lets the scroll range reach the old position before it shrinks back.
        setRowCount(rows + 1);
        updateGeometries();
        verticalScrollBar()->setValue(scrollPos);
        setRowCount(rows);
    } else {
        verticalScrollBar()->setValue(0);
    }
    endEditsOfRebuild();
    if (!statusText.isEmpty()) {
        if (StatusBar* statusBar = OverallView::getStatusBar())
            emit statusBar->showMessage(statusText, SEVERITY_NOTICE, STATUS_MESSAGE_MS);
    }
    if (enableInput) {
        inputEnabled = true;
        emit enablingInput(true);
    }
    setAutoScroll(false);
    return true;
}

bool TableObject::setTableData(const TableStructure& table, const bool& keepScroll, const int& scrollPos)
{
    return setTableData(table, false, QString(), keepScroll, scrollPos);
}

void TableObject::setSpanFor(const TableCell& cell, int row, int column)
{
    const int rowSpan = cell.getRowSpan();
    const int columnSpan = cell.getColumnSpan();
    if (rowSpan <= 1 && columnSpan <= 1)
        return;
    if (rowSpan < 1 || columnSpan < 1) {
        qWarning("Table cell (%d, %d) has an invalid span (%d rows, %d columns); it is not spanned.", row, column,
                 rowSpan, columnSpan);
        return;
    }
    // A span reaching past the table is cut at its edge.
    const int rows = qMin(rowSpan, rowCount() - row);
    const int columns = qMin(columnSpan, columnCount() - column);
    if (rows != rowSpan || columns != columnSpan)
        qWarning("Table cell (%d, %d) spans past the table (%d rows, %d columns); the span is cut.", row, column,
                 rowSpan, columnSpan);
    if (rows > 1 || columns > 1)
        setSpan(row, column, rows, columns);
}

bool TableObject::refreshTableData(const TableStructure& newTable)
{
    // Input stays off until the owner switches it on again, for the rebuilt
    // cells as much as for the others and for item editing.
    inputEnabled = false;
    emit enablingInput(false);
    const TableStructure shown = delegate->getTable();
    const int rows = qMin(newTable.rowCount(), shown.rowCount());
    for (int row = 0; row < rows; ++row) {
        const QVector<TableCell>& newCells = newTable.rowAt(row);
        const QVector<TableCell>& shownCells = shown.rowAt(row);
        const int cells = qMin(newCells.size(), shownCells.size());
        for (int column = 0; column < cells; ++column) {
            if (!(shownCells.at(column) == newCells.at(column)))
                createCellElement(newCells.at(column), row, column);
        }
    }
    delegate->setTable(newTable);
    endEditsOfRebuild();
    return true;
}

TableStructure TableObject::getTable() const
{
    return delegate->getTable();
}

void TableObject::clearTableContent()
{
    clearContents();
    setRowCount(0);
    clearSpans();
}

void TableObject::clearTable()
{
    heldRefresh = nullptr;
    clearTableContent();
    delegate->setTable(TableStructure());
}

void TableObject::setInputEnabled(bool enabled)
{
    inputEnabled = enabled;
    emit enablingInput(enabled);
}

void TableObject::setTableStyle(int flags)
{
    delegate->setTableStyle(flags);
}

bool TableObject::isEditing() const
{
    return delegate->hasOpenEditor() || !openEditors.isEmpty();
}

void TableObject::refreshWhenIdle(const std::function<void()>& refresh)
{
    if (isEditing())
        heldRefresh = refresh;
    else
        refresh();
}

void TableObject::runHeldRefresh()
{
    // Hidden, the table keeps it for its next showing.
    if (isEditing() || !heldRefresh || !isVisible())
        return;
    const std::function<void()> refresh = std::exchange(heldRefresh, nullptr);
    refresh();
}

void TableObject::runHeldRefreshLater()
{
    // Never inside what ended the edit: an editor closing may be part of a
    // rebuild, which a refresh must not rebuild again halfway.
    if (heldRefresh)
        QMetaObject::invokeMethod(this, &TableObject::runHeldRefresh, Qt::QueuedConnection);
}

void TableObject::endEditsOfRebuild()
{
    // The rebuilt cells' widget editors may be gone without telling; a line
    // editor the rebuild closed tells the delegate.
    openEditors.clear();
    runHeldRefreshLater();
}

void TableObject::showEvent(QShowEvent* event)
{
    QTableWidget::showEvent(event);
    runHeldRefreshLater();
}

// -------------------------------------------------------------- edit chain

bool TableObject::senderPosition(QObject* source, int& row, int& column) const
{
    if (!source)
        return false;
    bool rowOk = false;
    bool columnOk = false;
    row = source->property("PropertyRow").toInt(&rowOk);
    column = source->property("PropertyColumn").toInt(&columnOk);
    return rowOk && columnOk && delegate->hasCell(row, column);
}

void TableObject::clickCheckBox(bool state)
{
    auto* button = qobject_cast<ZCheckButton*>(sender());
    int row = 0;
    int column = 0;
    if (button && senderPosition(button, row, column))
        delegate->setCellValue(row, column, QVariant(state));
}

void TableObject::changedIndex(int index)
{
    QObject* source = sender();
    if (!qobject_cast<ZComboBox*>(source) && !qobject_cast<ZRadioGroup*>(source))
        return;
    int row = 0;
    int column = 0;
    if (senderPosition(source, row, column))
        delegate->setCellValue(row, column, QVariant(index));
}

void TableObject::changedText(QString text)
{
    auto* combo = qobject_cast<ZComboBox*>(sender());
    int row = 0;
    int column = 0;
    if (combo && senderPosition(combo, row, column))
        delegate->setCellValue(row, column, QVariant(text));
}

void TableObject::changedContent()
{
    QObject* source = sender();
    int row = 0;
    int column = 0;
    if (!senderPosition(source, row, column))
        return;
    QVariant value;
    if (auto* timeEdit = qobject_cast<ZTimeEdit*>(source))
        value = QVariant(timeEdit->time());
    else if (auto* dateEdit = qobject_cast<ZDateEdit*>(source))
        value = QVariant(dateEdit->date());
    else if (auto* calendar = qobject_cast<ZCalendarWidget*>(source)) {
        if (!qobject_cast<ZDateEdit*>(cellWidget(row, column)))
            return;
        value = QVariant(calendar->selectedDate());
    } else {
        return;
    }
    delegate->setCellValue(row, column, value);
}

void TableObject::changedCellValue(int row, int column)
{
    if (!delegate->hasCell(row, column))
        return;
    TableCell cell = delegate->getCell(row, column);
    emit changeValue(row, column, cell);
}

void TableObject::clickTable(QTableWidgetItem* item)
{
    if (item && (item->flags() & Qt::ItemIsEditable) && inputEnabled)
        editItem(item);
}

void TableObject::clickCellElement()
{
    auto* label = qobject_cast<ZClickLabel*>(sender());
    int row = 0;
    int column = 0;
    if (!label || !senderPosition(label, row, column))
        return;
    TableCell cell = delegate->getCell(row, column);
    emit clickValue(row, column, cell);
    if (cell.getCellType() != TableCell::DOCUMENT_LINK)
        return;

    const QString path = cell.getData().toString();
    if (path.isEmpty()) {
        qWarning("%s", "Can't open PDF because of empty path. ");
        return;
    }
    if (!DocumentOpener::open(path)) {
        emit detectFailure(DOCUMENT_OPEN_FAILED, path);
        qWarning("%s", qUtf8Printable(QStringLiteral("Can't open PDF ") + path
                                      + QStringLiteral("\nDid you install a PDF reader (Adobe Reader)?")));
    }
}

void TableObject::openLabelLink(const QString& link)
{
    if (!DocumentOpener::open(link))
        qWarning("Can't open the link \"%s\" of a table cell.", qUtf8Printable(link));
}

// ---------------------------------------------------------- open editors

void TableObject::addEditorCount()
{
    if (auto* widget = qobject_cast<QWidget*>(sender()))
        openEditors.insert(widget->property("PropertyIdentifier").toLongLong());
}

void TableObject::reduceEditorCount()
{
    if (auto* widget = qobject_cast<QWidget*>(sender()))
        openEditors.remove(widget->property("PropertyIdentifier").toLongLong());
    runHeldRefreshLater();
}

// --------------------------------------------------------------- scrolling

bool TableObject::event(QEvent* event)
{
    if (event->type() == QEvent::Scroll) {
        scrollTimer->start(SCROLL_END_MS);
        if (!scrolling)
            emit scrollingBegin();
        scrolling = true;
    }
    return QTableWidget::event(event);
}

void TableObject::table_scrollEnd()
{
    scrolling = false;
    emit scrollingEnd();
}
