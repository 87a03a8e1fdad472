#include "view/ColorDelegate.h"

#include <QPainter>
#include <QPen>

namespace {
const int HOVER_FRAME_WIDTH = 2;
}

ColorDelegate::ColorDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void ColorDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    // An invalid index or a name that is no colour gives an invalid colour, which paints black.
    const QColor colour(index.data(Qt::UserRole).toString());
    const QRect& rect = option.rect;
    painter->save();
    painter->fillRect(rect, colour);
    if (option.state & QStyle::State_MouseOver) {
        const QColor inverted(255 - colour.red(), 255 - colour.green(), 255 - colour.blue(), 255);
        painter->setPen(QPen(inverted, HOVER_FRAME_WIDTH, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        painter->drawLine(rect.topLeft(), rect.topRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomRight(), rect.bottomLeft());
        painter->drawLine(rect.bottomLeft(), rect.topLeft());
    }
    painter->restore();
}
