#include "SizeHintWidget.h"

SizeHintWidget::SizeHintWidget(QWidget* parent)
    : QWidget(parent)
{
}

QSize SizeHintWidget::sizeHint() const
{
    return size();
}
