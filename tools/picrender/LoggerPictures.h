#pragma once

#include "PictureSet.h"

// The logger screen's pictures: the 195 x 195 memory states of its overview
// table (measurement stopped, ring buffer idle, ring buffer recording) and the
// 31 x 31 icons of its overview and export tabs.
QVector<Picture> loggerPictures();
