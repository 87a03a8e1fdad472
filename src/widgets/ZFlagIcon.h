#pragma once

#include "ZStylableWidget.h"

// One function flag as a 26 x 26 picture. The flag is the dynamic property
// "flagName" ("RF" + bit); the style sheet picks the picture by it.
class ZFlagIcon : public ZStylableWidget
{
    Q_OBJECT

public:
    explicit ZFlagIcon(QWidget* parent = nullptr);
    explicit ZFlagIcon(const QString& flagName, QWidget* parent = nullptr);

    QString flagName() const;
    // Sets "flagName" and re-polishes, so the picture follows.
    void setFlagName(const QString& flagName);
};
