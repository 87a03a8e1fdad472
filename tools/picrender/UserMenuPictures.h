#pragma once

#include "PictureSet.h"

// The user menus' pictures: the trash can of the menu list, the three
// templates of the add dialog (grey, and green while chosen), and the grey
// select button over the chart settings' channel column.
QVector<Picture> userMenuPictures();
