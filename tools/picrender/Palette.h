#pragma once

#include <QColor>

// The colours of the application style sheet, so the pictures match it.
namespace Palette {
inline QColor green() { return QColor(0, 82, 66); }
inline QColor darkGreen() { return QColor(0, 74, 57); }
inline QColor body() { return QColor(204, 205, 204); }
inline QColor buttonBorder() { return QColor(120, 120, 120); }
inline QColor grey() { return QColor(128, 128, 128); }
inline QColor nearWhite() { return QColor(248, 248, 248); }
inline QColor statusRed() { return QColor(167, 67, 67); }
inline QColor white() { return QColor(255, 255, 255); }
inline QColor darkText() { return QColor(60, 60, 60); }
}
