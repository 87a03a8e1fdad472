#include "ColorBox.h"

#include <QPainter>

namespace {
const int BAR_WIDTH = 16;
const int BAR_HEIGHT = 4;
}

ColorBox::ColorBox(const QColor& value, QWidget* parent)
    : QWidget(parent), color(value)
{
}

QSize ColorBox::sizeHint() const
{
    return QSize(BAR_WIDTH, BAR_HEIGHT);
}

void ColorBox::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(0, 0, BAR_WIDTH, BAR_HEIGHT, color);
}
