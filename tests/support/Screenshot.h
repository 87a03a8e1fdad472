#pragma once

#include <QString>

class QWidget;

// Grabs a widget as a user would see it and checks that the picture is not
// empty. When the environment variable TEVARO_SCREENSHOT_DIR names a folder,
// the picture is also saved there as <name> (PNG) for a person to look at;
// unset, nothing is written. Returns false when the grab is empty or the
// save fails.
bool grabScreenshot(QWidget* widget, const QString& name);
