#include "ZStylableWidget.h"

#include <QPainter>
#include <QStyleOption>

ZStylableWidget::ZStylableWidget(QWidget* parent)
    : QWidget(parent)
{
}

void ZStylableWidget::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
