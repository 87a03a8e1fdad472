#include "ZFlagIcon.h"

#include "Repolish.h"

namespace {
constexpr int kIconSide = 26;
const char* const kFlagNameProperty = "flagName";
} // namespace

ZFlagIcon::ZFlagIcon(QWidget* parent)
    : ZFlagIcon(QString(), parent)
{
}

ZFlagIcon::ZFlagIcon(const QString& flagName, QWidget* parent)
    : ZStylableWidget(parent)
{
    setFixedSize(kIconSide, kIconSide);
    setProperty(kFlagNameProperty, flagName);
}

QString ZFlagIcon::flagName() const
{
    return property(kFlagNameProperty).toString();
}

void ZFlagIcon::setFlagName(const QString& flagName)
{
    setStyleProperty(this, kFlagNameProperty, flagName);
}
