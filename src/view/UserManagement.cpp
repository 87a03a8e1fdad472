#include "view/UserManagement.h"

UserManagement::UserManagement(QWidget* parent)
    : QWidget(parent), OverallView()
{
    setObjectName(QStringLiteral("UserManagement"));
}

UserManagement::~UserManagement() = default;

void UserManagement::setDefault()
{
}
