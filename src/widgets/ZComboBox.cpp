#include "ZComboBox.h"

#include <QEvent>
#include <QListView>
#include <QStyledItemDelegate>
#include <QWheelEvent>

ZComboBox::ZComboBox(QWidget* parent)
    : ZComboBox(PopupListNow, parent)
{
}

ZComboBox::ZComboBox(PopupListCreation creation, QWidget* parent)
    : QComboBox(parent)
{
    if (creation == PopupListNow)
        ensurePopupList();
}

void ZComboBox::ensurePopupList()
{
    if (hasPopupList)
        return;
    hasPopupList = true;
    setView(new QListView(this));
    // Only a styled delegate sizes the list items from the style sheet
    // (touch-sized rows); the combo box's own delegates ignore it.
    setItemDelegate(new QStyledItemDelegate(this));
}

void ZComboBox::changeEvent(QEvent* event)
{
    // QComboBox reaches for its list on these; from then on it must be ours.
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        ensurePopupList();
    QComboBox::changeEvent(event);
}

void ZComboBox::wheelEvent(QWheelEvent* event)
{
    // Left to the parent, which scrolls.
    event->ignore();
}

void ZComboBox::showPopup()
{
    ensurePopupList();
    emit openCombox();
    QComboBox::showPopup();
}

void ZComboBox::hidePopup()
{
    emit closeCombobox();
    QComboBox::hidePopup();
}
