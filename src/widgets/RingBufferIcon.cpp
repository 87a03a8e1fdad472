#include "widgets/RingBufferIcon.h"

#include "widgets/ZAnimatedButton.h"

#include <QString>

namespace {

// [state - 1][selected]
const char* const RING_PICTURES[3][2] = {
    {":/pic/logger/icon_logger_31x31_white_green.bmp", ":/pic/logger/icon_logger_31x31_green_white.bmp"},
    {":/pic/logger/icon_ringspeicher_inaktiv_31x31_01.gif", ":/pic/logger/icon_ringspeicher_inaktiv_31x31_02.gif"},
    {":/pic/logger/icon_ringspeicher_aktiv_31x31_01.gif", ":/pic/logger/icon_ringspeicher_aktiv_31x31_02.gif"},
};

} // namespace

bool showRingBufferState(ZAnimatedButton* icon, int state, bool selected)
{
    if (!icon || state < 1 || state > 3)
        return false;
    icon->stop();
    icon->setIcon(QLatin1String(RING_PICTURES[state - 1][selected ? 1 : 0]));
    if (state != 1)
        icon->start();
    return true;
}
