#include "ZComboBox.h"

#include <QListView>
#include <QStyledItemDelegate>
#include <QWheelEvent>

ZComboBox::ZComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setView(new QListView(this));
    // Only a styled delegate sizes the list items from the style sheet
    // (touch-sized rows); the combo box's own delegates ignore it.
    setItemDelegate(new QStyledItemDelegate(this));
}

void ZComboBox::wheelEvent(QWheelEvent* event)
{
    // Left to the parent, which scrolls.
    event->ignore();
}

void ZComboBox::showPopup()
{
    emit openCombox();
    QComboBox::showPopup();
}

void ZComboBox::hidePopup()
{
    emit closeCombobox();
    QComboBox::hidePopup();
}
