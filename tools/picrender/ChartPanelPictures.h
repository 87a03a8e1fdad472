#pragma once

#include "PictureSet.h"

// The line chart's side panel: its handle, the 80 x 39 buttons of the view
// modes (orange selected, grey idle) and of the return to the running
// measurement, and the arrow that opens the stored measurements.
QVector<Picture> chartPanelPictures();
