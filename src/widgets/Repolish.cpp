#include "Repolish.h"

#include <QStyle>
#include <QWidget>

void repolish(QWidget* widget)
{
    if (!widget)
        return;
    QStyle* style = widget->style();
    style->unpolish(widget);
    style->polish(widget);
    widget->update();
}

bool setStyleProperty(QWidget* widget, const char* name, const QVariant& value)
{
    if (!widget)
        return false;
    if (widget->property(name) == value)
        return false;
    widget->setProperty(name, value);
    repolish(widget);
    return true;
}
