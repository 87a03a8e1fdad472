// The cell factory of TableObject: turns one TableCell into the item or cell
// widget shown at its position and wires it into the table's edit chain.

#include "view/TableObject.h"
#include "view/TableObjectLinkText.h"

#include "widgets/ZCalendarWidget.h"
#include "widgets/ZCheckButton.h"
#include "widgets/ZClickLabel.h"
#include "widgets/ZComboBox.h"
#include "widgets/ZDateEdit.h"
#include "widgets/ZLabel.h"
#include "widgets/ZMeasureTextWidget.h"
#include "widgets/ZRadioGroup.h"
#include "widgets/ZTimeEdit.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QStringList>
#include <QVector>

namespace {

const QString noAccessText = QStringLiteral("-------------");
// Text shown by a cell widget keeps the distance the style sheet gives item
// text from the cell's edges (its left and right item padding).
constexpr int cellTextInset = 8;

constexpr Qt::ItemFlags notSelectable = Qt::ItemIsSelectable;
constexpr Qt::ItemFlags notSelectableNotEditable = Qt::ItemIsSelectable | Qt::ItemIsEditable;

QTableWidgetItem* textItem(const QString& text, int alignment, Qt::ItemFlags removedFlags)
{
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    item->setFlags(item->flags() & ~removedFlags);
    return item;
}

// Value and unit of a measured-value cell: a text, or a pair as a QStringList
// or as QVector<QString> (the channel list's producers emit the latter).
// Anything else gives neither.
bool measureTexts(const QVariant& value, QString& text, QString& unit, bool& hasUnit)
{
    hasUnit = false;
    if (value.userType() == QMetaType::QString) {
        text = value.toString();
        return true;
    }
    QStringList pair;
    if (value.userType() == qMetaTypeId<QVector<QString>>())
        pair = value.value<QVector<QString>>().toList();
    else if (value.userType() == QMetaType::QStringList)
        pair = value.toStringList();
    else
        return false;
    if (pair.size() != 2)
        return false;
    text = pair.at(0);
    unit = pair.at(1);
    hasUnit = true;
    return true;
}

} // namespace

void TableObject::createCellElement(const TableCell& cell, const int& row, const int& column)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    clearCell(row, column);

    if (cell.getRights() == TableCell::NO_ACCESS) {
        setItemCell(textItem(noAccessText, TableCell::ALIGN_CENTER, notSelectableNotEditable), row, column);
        return;
    }

    const QString text = cell.getValue().toString();
    switch (cell.getCellType()) {
    case TableCell::NUMBER_EDIT:
    case TableCell::TEXT_EDIT: {
        Qt::ItemFlags removed;
        if (cell.getRights() == TableCell::EDITABLE)
            removed = notSelectable;
        else if (cell.getRights() == TableCell::READ_ONLY)
            removed = notSelectableNotEditable;
        setItemCell(textItem(text, cell.getAlignment(), removed), row, column);
        return;
    }
    case TableCell::GROWING_TEXT:
        setItemCell(textItem(text, cell.getAlignment(), notSelectableNotEditable), row, column);
        verticalHeader()->setSectionResizeMode(row, QHeaderView::ResizeToContents);
        return;
    case TableCell::OWNER_WIDGET:
        emit detectDisplayWidget(row, column, cell);
        return;
    case TableCell::CHECK:
    case TableCell::ICON:
    case TableCell::CLOCK:
    case TableCell::TIME:
    case TableCell::DATE:
    case TableCell::LINK:
    case TableCell::RADIO_GROUP:
    case TableCell::COMBO_INDEX:
    case TableCell::COMBO_TEXT:
    case TableCell::MEASURE:
    case TableCell::DOCUMENT_LINK:
    case TableCell::LINK_LABEL:
    case TableCell::ANIMATION:
        createWidgetCell(cell, row, column);
        return;
    case TableCell::TEXT:
    case TableCell::NONE:
        break;
    }
    // Plain text, no cell, and any type this table does not know.
    setItemCell(textItem(text, cell.getAlignment(), notSelectableNotEditable), row, column);
}

void TableObject::createWidgetCell(const TableCell& cell, int row, int column)
{
    const QVariant value = cell.getValue();
    const QVariant data = cell.getData();
    const int alignment = cell.getAlignment();
    const int rights = cell.getRights();

    switch (cell.getCellType()) {
    case TableCell::CHECK: {
        QWidget* container = cellContainer(alignment);
        auto* button = new ZCheckButton(value.toBool(), container);
        connect(button, QOverload<bool>::of(&ZCheckButton::changeCheckStatus), this, &TableObject::clickCheckBox);
        setCellProperties(button, row, column);
        applyRights(button, rights);
        placeInContainer(button, container, row, column);
        break;
    }
    case TableCell::ICON: {
        const QPixmap pixmap = value.value<QPixmap>();
        if (pixmap.isNull())
            break;
        auto* label = new QLabel(viewport());
        label->setPixmap(pixmap);
        label->setAlignment(Qt::Alignment(alignment));
        setCellWidget(row, column, label);
        break;
    }
    case TableCell::CLOCK:
    case TableCell::TIME: {
        auto* edit = new ZTimeEdit(viewport());
        edit->setTime(value.toTime());
        if (!data.toString().isEmpty())
            edit->setDisplayFormat(data.toString());
        edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        if (cell.getCellType() == TableCell::CLOCK)
            edit->startClock();
        connect(edit, &ZTimeEdit::editingFinished, this, &TableObject::changedContent);
        connect(edit, &ZTimeEdit::editingFinished, this, &TableObject::reduceEditorCount);
        connect(edit, &ZTimeEdit::timeChanged, this, &TableObject::addEditorCount);
        connect(edit, &ZTimeEdit::focusDateTime, this, &TableObject::addEditorCount);
        setCellProperties(edit, row, column);
        applyRights(edit, rights);
        setCellWidget(row, column, edit);
        break;
    }
    case TableCell::DATE: {
        auto* edit = new ZDateEdit(viewport());
        edit->setDate(value.toDate());
        if (!data.toString().isEmpty())
            edit->setDisplayFormat(data.toString());
        edit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        if (auto* calendar = qobject_cast<ZCalendarWidget*>(edit->calendarWidget())) {
            setCellProperties(calendar, row, column);
            connect(calendar, &ZCalendarWidget::showCalendar, this, &TableObject::addEditorCount);
            connect(calendar, &ZCalendarWidget::hideCalendar, this, &TableObject::reduceEditorCount);
            connect(calendar, &ZCalendarWidget::clicked, this, &TableObject::changedContent);
        }
        connect(edit, &ZDateEdit::editingFinished, this, &TableObject::changedContent);
        connect(edit, &ZDateEdit::editingFinished, this, &TableObject::reduceEditorCount);
        connect(edit, &ZDateEdit::dateChanged, this, &TableObject::addEditorCount);
        connect(edit, &ZDateEdit::focusDateTime, this, &TableObject::addEditorCount);
        setCellProperties(edit, row, column);
        applyRights(edit, rights);
        setCellWidget(row, column, edit);
        break;
    }
    case TableCell::LINK: {
        auto* label = new ZClickLabel(viewport());
        label->setTextFormat(Qt::PlainText);
        label->setText(QStringLiteral(">"));
        QFont font = label->font();
        font.setWeight(QFont::Bold);
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * 3);
        else if (font.pixelSize() > 0)
            font.setPixelSize(font.pixelSize() * 3);
        label->setFont(font);
        label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        label->setStyleSheet(QStringLiteral("QLabel{color:rgb(0, 82, 66); padding-right:8px; border: none;}"));
        label->setAlignment(Qt::Alignment(alignment));
        connect(label, &ZClickLabel::clicked, this, &TableObject::clickCellElement);
        setCellProperties(label, row, column);
        // A link stays usable while input is off: it only navigates.
        if (rights != TableCell::EDITABLE)
            label->setEnabled(false);
        setCellWidget(row, column, label);
        break;
    }
    case TableCell::RADIO_GROUP: {
        QWidget* container = cellContainer(alignment);
        auto* group = new ZRadioGroup(container);
        const QStringList options = data.toStringList();
        for (const QString& option : options)
            group->addItem(option, QVariant());
        group->setSelectedIndex(value.toInt());
        group->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        verticalHeader()->setSectionResizeMode(row, QHeaderView::ResizeToContents);
        connect(group, QOverload<int>::of(&ZRadioGroup::currentIndexChanged), this, &TableObject::changedIndex);
        setCellProperties(group, row, column);
        applyRights(group, rights);
        placeInContainer(group, container, row, column);
        break;
    }
    case TableCell::COMBO_INDEX:
    case TableCell::COMBO_TEXT: {
        QWidget* container = cellContainer(alignment);
        auto* combo = new ZComboBox(ZComboBox::PopupListOnFirstUse, container);
        combo->addItems(data.toStringList());
        if (cell.getCellType() == TableCell::COMBO_INDEX) {
            combo->setCurrentIndex(value.toInt());
            connect(combo, QOverload<int>::of(&ZComboBox::currentIndexChanged), this, &TableObject::changedIndex);
        } else {
            combo->setCurrentText(value.toString());
            // The list is not editable, so the text changes exactly when the chosen entry does.
            connect(combo, &ZComboBox::currentTextChanged, this, &TableObject::changedText);
        }
        combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        connect(combo, &ZComboBox::openCombox, this, &TableObject::addEditorCount);
        connect(combo, &ZComboBox::closeCombobox, this, &TableObject::reduceEditorCount);
        setCellProperties(combo, row, column);
        applyRights(combo, rights);
        placeInContainer(combo, container, row, column);
        break;
    }
    case TableCell::MEASURE: {
        QWidget* container = cellContainer(alignment);
        auto* measure = new ZMeasureTextWidget(false, container);
        QString text;
        QString unit;
        bool hasUnit = false;
        if (measureTexts(value, text, unit, hasUnit)) {
            measure->setMeasureValue(text);
            if (hasUnit)
                measure->setMeasureUnit(unit);
        }
        bool isNumber = false;
        const int flags = data.toInt(&isNumber);
        measure->setMeasureStatus(isNumber ? flags : 0);
        measure->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        measure->setContentsMargins(cellTextInset, 0, cellTextInset, 0);
        setCellProperties(measure, row, column);
        applyRights(measure, rights);
        placeInContainer(measure, container, row, column);
        break;
    }
    case TableCell::DOCUMENT_LINK: {
        QWidget* container = cellContainer(alignment);
        QLabel* label = nullptr;
        if (rights == TableCell::EDITABLE) {
            auto* link = new ZClickLabel(container);
            link->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            link->setStyleSheet(QStringLiteral("ZClickLabel{color: blue;text-decoration: underline}"));
            connect(link, &ZClickLabel::clicked, this, &TableObject::clickCellElement);
            label = link;
        } else {
            label = new ZLabel(container);
        }
        label->setTextFormat(Qt::PlainText);
        label->setText(value.toString());
        label->setContentsMargins(cellTextInset, 0, cellTextInset, 0);
        setCellProperties(label, row, column);
        placeInContainer(label, container, row, column);
        break;
    }
    case TableCell::LINK_LABEL: {
        // Device-supplied rich text, cut down to links and simple emphasis;
        // its links go through the document opener's checks instead of
        // being opened by the label.
        QWidget* container = cellContainer(alignment);
        auto* label = new QLabel(container);
        label->setTextFormat(Qt::RichText);
        label->setOpenExternalLinks(false);
        label->setText(tablelinktext::keepSimpleMarkup(value.toString()));
        if (rights == TableCell::EDITABLE) {
            label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
            connect(label, &QLabel::linkActivated, this, &TableObject::openLabelLink);
        } else {
            label->setTextInteractionFlags(Qt::NoTextInteraction);
        }
        label->setContentsMargins(cellTextInset, 0, cellTextInset, 0);
        setCellProperties(label, row, column);
        placeInContainer(label, container, row, column);
        break;
    }
    case TableCell::ANIMATION: {
        auto* movie = new QMovie(value.toString());
        if (!movie->isValid()) {
            delete movie;
            break;
        }
        auto* label = new QLabel(viewport());
        movie->setParent(label);
        label->setMovie(movie);
        movie->start();
        label->setStyleSheet(QStringLiteral("QLabel{margin:1px;}"));
        label->setAlignment(Qt::Alignment(alignment));
        setCellWidget(row, column, label);
        break;
    }
    default:
        break;
    }
}

void TableObject::setCellProperties(QWidget* widget, int row, int column)
{
    ++nextIdentifier;
    widget->setProperty("PropertyIdentifier", QVariant::fromValue<qint64>(nextIdentifier));
    widget->setProperty("PropertyColumn", column);
    widget->setProperty("PropertyRow", row);
}

void TableObject::applyRights(QWidget* widget, int rights)
{
    if (rights == TableCell::EDITABLE) {
        // A widget built while input is off must not be the one cell that takes input.
        widget->setEnabled(inputEnabled);
        connect(this, &TableObject::enablingInput, widget, &QWidget::setEnabled);
    } else {
        widget->setEnabled(false);
    }
}

QWidget* TableObject::cellContainer(int alignment)
{
    // One plain widget whose layout carries the alignment: widgets that
    // expand fill the cell, the others (check buttons, plain labels) sit
    // where the cell says. Cell widgets are made in their final parent (the
    // container or the viewport): moving a widget to another parent later
    // styles it over again, and with it all its children.
    auto* container = new QWidget(viewport());
    auto* layout = new QHBoxLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setAlignment(Qt::Alignment(alignment));
    return container;
}

void TableObject::placeInContainer(QWidget* widget, QWidget* container, int row, int column)
{
    container->layout()->addWidget(widget);
    setCellWidget(row, column, container);
}

void TableObject::setItemCell(QTableWidgetItem* item, int row, int column)
{
    setItem(row, column, item);
}

void TableObject::clearCell(int row, int column)
{
    // A position shows either an item or a widget: the new cell replaces both.
    if (cellWidget(row, column))
        removeCellWidget(row, column);
    delete takeItem(row, column);
}

void TableObject::insertCellWidget(QWidget* widget, const TableCell& cell, const int& row, const int& column)
{
    if (!widget || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    clearCell(row, column);
    widget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCellProperties(widget, row, column);
    applyRights(widget, cell.getRights());
    placeInContainer(widget, cellContainer(cell.getAlignment()), row, column);
}
