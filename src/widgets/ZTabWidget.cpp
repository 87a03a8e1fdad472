#include "ZTabWidget.h"

#include <QMouseEvent>
#include <QTabBar>

ZTabWidget::ZTabWidget(QWidget* parent)
    : QTabWidget(parent)
{
    tabBar()->installEventFilter(this);
}

bool ZTabWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tabBar() && event->type() == QEvent::MouseButtonPress) {
        const QPoint position = static_cast<QMouseEvent*>(event)->localPos().toPoint();
        const int tab = tabBar()->tabAt(position);
        // The filter runs before the tab bar switches, so this is the tab shown.
        if (tab >= 0 && tab == currentIndex())
            emit currentReload();
    }
    return QTabWidget::eventFilter(watched, event);
}
