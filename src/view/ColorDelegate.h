#pragma once

#include <QStyledItemDelegate>

// Paints a colour chooser's item as a plain field of its colour (the item's
// Qt::UserRole data, read as a colour name); under the mouse it gets a
// frame in the inverted colour so it stands out on any colour.
class ColorDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit ColorDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
