#pragma once

#include "view/OverallView.h"

#include <QWidget>

// The user-management page. Its screen comes later; what the frame relies on
// is here: the reset after a login.
class UserManagement : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit UserManagement(QWidget* parent = nullptr);
    ~UserManagement() override;

public slots:
    // Called after a successful login: clears the user table.
    void setDefault();
};
