#include "ZScrollBar.h"

ZScrollBar::ZScrollBar(QWidget* parent, int unused)
    : QScrollBar(parent)
{
    Q_UNUSED(unused)
}
