#pragma once

#include "view/OverallView.h"

#include <QWidget>

// The user-defined value menus, fourth tab of the measurement screen.
class UserMenu : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit UserMenu(QWidget* parent = nullptr);

    // From a shown menu back to the list of menus: true when it went back.
    bool goBack();
    // Empties the shown table.
    void clearTable();
};
