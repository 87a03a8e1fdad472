#include "GestureSetupHook.h"

#include <QtGlobal>

void gestureSetupHook(QAbstractScrollArea* area, int directions)
{
    Q_UNUSED(area)
    Q_UNUSED(directions)
}
