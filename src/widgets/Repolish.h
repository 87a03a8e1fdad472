#pragma once

#include <QVariant>

class QWidget;

// The style sheets select on dynamic properties ("ZZActive", "measureStatus",
// "flagName"); Qt applies a sheet only when a widget is polished, so a widget
// must be re-polished after such a property changed.
void repolish(QWidget* widget);

// Sets a dynamic property the style sheets select on and re-polishes the widget
// when the value changed. Returns whether it changed.
bool setStyleProperty(QWidget* widget, const char* name, const QVariant& value);
