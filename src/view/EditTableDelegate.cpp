#include "view/EditTableDelegate.h"

#include "view/CellInputHint.h"
#include "view/DoubleValidator.h"
#include "view/OverallView.h"
#include "view/PatternValidator.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableWidget>
#include <QtMath>

namespace {
const QColor noAccessBackground(200, 200, 200);
const QColor editableBackground(248, 248, 248);
// Properties of a checked editor: what its cell takes, and the text it opened with.
const char* const inputHintProperty = "InputHint";
const char* const openedTextProperty = "OpenedText";
}

EditTableDelegate::EditTableDelegate(QTableWidget* tableView)
    : QStyledItemDelegate(nullptr)
    , view(tableView)
{
    QStyleOptionViewItem option;
    option.initFrom(view);
    const int gridHint = view->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, view);
    gridPen = QPen(QColor(static_cast<QRgb>(gridHint)), 0, view->gridStyle());
    view->installEventFilter(this);
}

void EditTableDelegate::setTable(const TableStructure& newTable)
{
    if (newTable.getPath() != table.getPath())
        withdrawNotice();
    table = newTable;
}

TableStructure EditTableDelegate::getTable() const
{
    return table;
}

TableCell EditTableDelegate::getCell(int row, int column) const
{
    return table.cellAt(row, column);
}

bool EditTableDelegate::hasCell(int row, int column) const
{
    return table.contains(row, column);
}

void EditTableDelegate::setCellValue(const int& row, const int& column, const QVariant& value)
{
    if (!table.contains(row, column))
        return;
    TableCell& cell = table.getRow(row)[column];
    if (value.toString() == cell.getValue().toString())
        return;
    cell.setValue(value);
    cell.setChanged(true);
    emit updateCellValue(row, column);
}

void EditTableDelegate::setTableStyle(int flags)
{
    tableStyle = flags;
    view->setShowGrid((flags & VIEW_GRID) == VIEW_GRID);
}

bool EditTableDelegate::hasOpenEditor() const
{
    return openEditors > 0;
}

void EditTableDelegate::reduceEditorCount()
{
    if (--openEditors == 0)
        emit lastEditorClosed();
}

void EditTableDelegate::changeTextCellEditing(QString text)
{
    Q_UNUSED(text)
    auto* editor = qobject_cast<QLineEdit*>(sender());
    if (!editor)
        return;
    editor->setStyleSheet(editor->hasAcceptableInput() ? QStringLiteral("QLineEdit{border-color:green;}")
                                                       : QStringLiteral("QLineEdit{border-color:red;}"));
}

QWidget* EditTableDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    Q_UNUSED(option)
    ++openEditors;
    auto* editor = new QLineEdit(parent);
    connect(editor, &QObject::destroyed, this, &EditTableDelegate::reduceEditorCount);
    setupEditor(editor, index);
    return editor;
}

void EditTableDelegate::setupEditor(QLineEdit* editor, const QModelIndex& index) const
{
    if (!table.contains(index.row(), index.column()))
        return;
    const TableCell& cell = table.cellAt(index.row(), index.column());
    const bool checked = table.getTableType() == TableStructure::ROWS && cell.getRights() == TableCell::EDITABLE;
    if (cell.getCellType() == TableCell::NUMBER_EDIT) {
        // A decimal comma is the decimal point in every numeric cell, checked or not:
        // refused, it would let the next digit make another number.
        if (!(checked && installNumberValidator(editor, cell)))
            editor->setValidator(new DecimalCommaValidator(editor));
        return;
    }
    if (!checked || cell.getCellType() != TableCell::TEXT_EDIT || !(cell.getLimitFlags() & TableCell::REGX))
        return;
    const QRegExp pattern(cell.getRegx(), Qt::CaseSensitive, QRegExp::RegExp);
    // A pattern QRegExp cannot read would refuse every keystroke and lock
    // the cell; the entry stays free instead.
    if (!pattern.isValid()) {
        qWarning("Table cell %s: input pattern \"%s\" is not usable (%s); the entry is not checked.",
                 qUtf8Printable(cell.getPath()), qUtf8Printable(cell.getRegx()),
                 qUtf8Printable(pattern.errorString()));
        return;
    }
    editor->setValidator(new PatternValidator(pattern, editor));
    watchInput(editor, CellInputHint::forPattern());
}

void EditTableDelegate::watchInput(QLineEdit* editor, const QString& hint) const
{
    editor->setProperty(inputHintProperty, hint);
    editor->setToolTip(hint);
    connect(editor, &QLineEdit::textChanged, this, &EditTableDelegate::changeTextCellEditing);
}

bool EditTableDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (object == view) {
        // Hidden with its screen or dialog: what a cell there takes is no longer the question.
        if (event->type() == QEvent::Hide)
            withdrawNotice();
        return false;   // the base would take the table for an editor
    }
    auto* editor = qobject_cast<QLineEdit*>(object);
    if (editor && !editor->hasAcceptableInput() && editor->property(inputHintProperty).isValid()) {
        // Enter and Tab keep the editor open and write nothing; leaving it
        // keeps the cell's value. Either way the technician is told what the
        // cell takes.
        bool keyKeepsEditor = false;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            keyKeepsEditor = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab;
        }
        // An editor hidden with its table (a screen or dialog left) loses its
        // focus after the table's hide ended the notice: it tells nothing.
        const bool leftChanged = event->type() == QEvent::FocusOut && editor->isVisible()
                                 && editor->text() != editor->property(openedTextProperty).toString();
        if (keyKeepsEditor || leftChanged)
            tellNotTaken(editor);
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void EditTableDelegate::tellNotTaken(const QLineEdit* editor) const
{
    shownNotice = CellInputHint::notTaken(editor->property(inputHintProperty).toString());
    OverallView::showStatus(shownNotice);
}

void EditTableDelegate::withdrawNotice() const
{
    if (shownNotice.isEmpty())
        return;
    OverallView::withdrawStatus(shownNotice);
    shownNotice.clear();
}

bool EditTableDelegate::installNumberValidator(QLineEdit* editor, const TableCell& cell) const
{
    const int limits = cell.getLimitFlags();
    // A digit count alone does not make a validator worth installing.
    if (!(limits & (TableCell::MIN | TableCell::MAX | TableCell::DP)))
        return false;
    auto* validator = new DoubleValidator(editor);
    validator->setLocale(QLocale(QLocale::English, QLocale::AnyCountry));
    validator->setNotation(QDoubleValidator::StandardNotation);
    applyRange(validator, cell);
    if (limits & TableCell::DP)
        validator->setDecimals(cell.getDp());
    if (limits & TableCell::DG)
        validator->setMaxLength(cell.getDg(), true);
    editor->setValidator(validator);
    watchInput(editor, CellInputHint::forNumber(*validator));
    return true;
}

void EditTableDelegate::applyRange(QDoubleValidator* validator, const TableCell& cell)
{
    const int limits = cell.getLimitFlags();
    const bool hasMin = limits & TableCell::MIN;
    const bool hasMax = limits & TableCell::MAX;
    // An impossible range would refuse every number; the cell keeps no range then.
    if ((hasMin && qIsNaN(cell.getMin())) || (hasMax && qIsNaN(cell.getMax()))
        || (hasMin && hasMax && cell.getMin() > cell.getMax())) {
        qWarning("Table cell %s: input range MIN %g, MAX %g is not usable; the range is not checked.",
                 qUtf8Printable(cell.getPath()), cell.getMin(), cell.getMax());
        return;
    }
    if (hasMin)
        validator->setBottom(cell.getMin());
    if (hasMax)
        validator->setTop(cell.getMax());
}

void EditTableDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* lineEdit = qobject_cast<QLineEdit*>(editor)) {
        lineEdit->setText(index.data(Qt::EditRole).toString());
        lineEdit->setProperty(openedTextProperty, lineEdit->text());
    }
}

void EditTableDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* lineEdit = qobject_cast<QLineEdit*>(editor);
    if (!lineEdit || !lineEdit->hasAcceptableInput())
        return;   // the cell keeps its value; the event filter has said what it takes
    withdrawNotice();
    const QString text = lineEdit->text();
    // The change is announced first; a listener may rebuild the table, so the
    // item is written only while the index still names it.
    const QPersistentModelIndex target(index);
    const_cast<EditTableDelegate*>(this)->setCellValue(index.row(), index.column(), QVariant(text));
    if (target.isValid())
        model->setData(target, QVariant(text), Qt::EditRole);
}

void EditTableDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex& index) const
{
    Q_UNUSED(index)
    editor->setGeometry(option.rect);
}

void EditTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    // The background goes first so that it does not cover the grid lines.
    paintBackground(painter, option.rect, index);
    paintGridLines(painter, option.rect, index);
    QStyledItemDelegate::paint(painter, option, index);
}

void EditTableDelegate::paintGridLines(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    if ((tableStyle & VIEW_GRID) == VIEW_GRID || (tableStyle & NO_LINES))
        return;
    painter->save();
    painter->setPen(gridPen);
    if (tableStyle & VERTICAL_LINES) {
        painter->drawLine(rect.topRight(), rect.bottomRight());
        if (index.column() == 0)
            painter->drawLine(rect.topLeft(), rect.bottomLeft());
    }
    if (tableStyle & HORIZONTAL_LINES) {
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        if (index.row() == 0)
            painter->drawLine(rect.topLeft(), rect.topRight());
    }
    painter->restore();
}

void EditTableDelegate::paintBackground(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    const QTableWidgetItem* item = view->item(index.row(), index.column());
    if (!item || !table.contains(index.row(), index.column()))
        return;
    const int rights = table.cellAt(index.row(), index.column()).getRights();
    QColor colour;
    if (rights == TableCell::NO_ACCESS)
        colour = noAccessBackground;
    else if (rights == TableCell::EDITABLE && (item->flags() & Qt::ItemIsEditable))
        colour = editableBackground;
    else
        return;
    painter->save();
    painter->fillRect(rect, colour);
    painter->restore();
}
