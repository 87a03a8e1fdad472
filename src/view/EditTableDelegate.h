#pragma once

#include "common/TableStructure.h"

#include <QPen>
#include <QStyledItemDelegate>

class QDoubleValidator;
class QLineEdit;
class QTableWidget;

// Item delegate of a TableObject. It holds the table being shown and is the
// one place where a user's change enters it: from the line editor it opens on
// text and numeric items, and from the cell widgets through the table's edit
// slots. A checked line editor keeps every keystroke; a text its cell does
// not take shows a red frame and is never written, and the status bar says
// what the cell takes until a text of the table is written or the table is
// left. It also paints the table's own grid lines and the backgrounds of
// editable and inaccessible cells, and counts its open line editors.
class EditTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // Line flags of setTableStyle.
    enum TableStyle {
        NO_LINES = 1,
        VERTICAL_LINES = 2,
        HORIZONTAL_LINES = 4,
        VIEW_GRID = VERTICAL_LINES | HORIZONTAL_LINES  // the view draws its own grid
    };

    // No QObject parent: the table widget owns and deletes it.
    explicit EditTableDelegate(QTableWidget* view);

    // Another table than the one held (another path) ends the "not taken" notice.
    void setTable(const TableStructure& newTable);
    TableStructure getTable() const;
    // A copy of the held cell; callers check the position with hasCell first.
    TableCell getCell(int row, int column) const;
    bool hasCell(int row, int column) const;
    int tableType() const { return table.getTableType(); }

    // The end of every edit: a value whose text differs from the held one
    // replaces it, marks the cell changed and is announced once.
    void setCellValue(const int& row, const int& column, const QVariant& value);

    void setTableStyle(int flags);
    bool hasOpenEditor() const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    // Writes the editor's text only when the cell takes it, however the editor
    // is left: Enter, Tab, an arrow key, a click on another cell, a rebuild.
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

protected:
    // Tells what a checked cell takes when Enter, Tab or leaving the cell meets
    // a text it does not take; the base then keeps the editor or the cell's
    // value. The table hidden (its screen or dialog left) ends the notice.
    bool eventFilter(QObject* object, QEvent* event) override;

signals:
    void updateCellValue(int row, int column);
    // The last open line editor is gone.
    void lastEditorClosed();

public slots:
    // Colours the sending editor's border green or red by its validity.
    void changeTextCellEditing(QString text);
    void reduceEditorCount();

private:
    // Validators from the cell's limits, only for editable cells of ROWS tables;
    // every numeric cell takes a decimal comma as the decimal point.
    void setupEditor(QLineEdit* editor, const QModelIndex& index) const;
    // A checked editor: its frame follows the text's validity, hint says what it takes.
    void watchInput(QLineEdit* editor, const QString& hint) const;
    // The range-checking validator of a numeric cell with limits; false when it has none.
    bool installNumberValidator(QLineEdit* editor, const TableCell& cell) const;
    // MIN and MAX of the cell, when both are usable.
    static void applyRange(QDoubleValidator* validator, const TableCell& cell);
    // The "not taken" notice for editor's text, on the status bar until withdrawn.
    void tellNotTaken(const QLineEdit* editor) const;
    void withdrawNotice() const;
    void paintGridLines(QPainter* painter, const QRect& rect, const QModelIndex& index) const;
    void paintBackground(QPainter* painter, const QRect& rect, const QModelIndex& index) const;

    TableStructure table;
    // Mutable: createEditor is const in the base but counts the editor it opens.
    mutable int openEditors = 0;
    // The "not taken" notice this table put on the status bar; mutable as the
    // const setModelData withdraws it.
    mutable QString shownNotice;
    QTableWidget* view;
    QPen gridPen;
    int tableStyle = 0;
};
