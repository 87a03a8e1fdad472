#include "view/UserMenu.h"

UserMenu::UserMenu(QWidget* parent)
    : QWidget(parent), OverallView()
{
    setObjectName(QStringLiteral("UserMenu"));
}

bool UserMenu::goBack()
{
    return false;
}

void UserMenu::clearTable()
{
}
