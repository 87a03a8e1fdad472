#pragma once

#include "common/TableEntry.h"

#include <QMetaType>
#include <QString>

// One cell of a TableStructure: what is shown (cell type, value, data), who
// may change it (rights), where an edit is written back (path) and the input
// limits the line editor enforces.
class TableCell : public TableEntry
{
public:
    // What the cell is and which widget shows it.
    enum CellType : qint32 {
        TEXT = 0,            // plain text item
        CHECK = 1,           // check button, value bool
        NUMBER_EDIT = 2,     // numeric entry in the line editor, value text
        TEXT_EDIT = 3,       // text entry in the line editor
        ICON = 4,            // value a QPixmap
        CLOCK = 5,           // QTime with a running clock, data the display format
        TIME = 6,            // QTime, data the display format
        DATE = 7,            // QDate with a calendar, data the display format
        LINK = 8,            // ">" link to a sub-table, value the target path
        RADIO_GROUP = 9,     // value index, data option texts
        COMBO_INDEX = 10,    // value index, data option texts
        COMBO_TEXT = 11,     // value text, data option texts
        MEASURE = 12,        // value text or [value, unit], data status bits
        GROWING_TEXT = 13,   // read-only text whose row grows to fit it
        OWNER_WIDGET = 14,   // the table's owner supplies the widget
        DOCUMENT_LINK = 15,  // value the link text, data path or URL of the document
        LINK_LABEL = 16,     // rich-text label with links
        ANIMATION = 17,      // value the file name of the animation
        NONE = 18
    };

    // Rights state of the cell for the logged-in user.
    enum Rights {
        NO_RIGHTS_INFO = 0,
        READ_ONLY = 1,
        EDITABLE = 2,
        NO_ACCESS = 3
    };

    // Bits of limitFlags: which limits the device description carried.
    enum LimitFlag {
        MIN = 0x01,
        MAX = 0x02,
        DG = 0x04,
        DP = 0x08,
        REGX = 0x10
    };

    // Qt alignment values the producers use.
    static constexpr int ALIGN_LEFT = 0x81;
    static constexpr int ALIGN_RIGHT = 0x82;
    static constexpr int ALIGN_CENTER = 0x84;

    TableCell();

    CellType getCellType() const { return cellType; }
    void setCellType(const CellType& type) { cellType = type; }

    int getRights() const { return rights; }
    void setRights(const int& newRights) { rights = newRights; }

    QString getPath() const { return path; }
    void setPath(const QString& newPath) { path = newPath; }

    int getColumnSpan() const { return columnSpan; }
    void setColumnSpan(int span) { columnSpan = span; }

    int getRowSpan() const { return rowSpan; }
    void setRowSpan(int span) { rowSpan = span; }

    bool isChanged() const { return changed; }
    void setChanged(bool isChanged) { changed = isChanged; }

    int getAlignment() const { return alignment; }
    void setAlignment(const int& newAlignment) { alignment = newAlignment; }

    // Setting a limit does not set its flag bit: the producer sets both.
    int getLimitFlags() const { return limitFlags; }
    void setLimitFlags(const int& flags) { limitFlags = flags; }
    double getMax() const { return max; }
    void setMax(double limit) { max = limit; }
    double getMin() const { return min; }
    void setMin(double limit) { min = limit; }
    int getDg() const { return dg; }
    void setDg(int digits) { dg = digits; }
    int getDp() const { return dp; }
    void setDp(int decimals) { dp = decimals; }
    QString getRegx() const { return regx; }
    void setRegx(const QString& expression) { regx = expression; }

    // Equal when everything the table widget builds from is equal; the changed
    // flag and the alignment take no part. A cell with invalid data never
    // equals another, so such a cell is always rebuilt.
    bool operator==(const TableCell& other) const;
    bool operator!=(const TableCell& other) const { return !(*this == other); }

private:
    CellType cellType = NONE;
    int rights = NO_RIGHTS_INFO;
    QString path;
    int columnSpan = 1;
    int rowSpan = 1;
    bool changed = false;
    int alignment = ALIGN_LEFT;
    int limitFlags = 0;
    double max = 0.0;
    double min = 0.0;
    int dg = 0;
    int dp = 0;
    QString regx = QStringLiteral("");
};

Q_DECLARE_METATYPE(TableCell)
