#pragma once

#include "view/OverallView.h"
#include "widgets/ZDialog.h"

#include <QPointer>

class QButtonGroup;
class UserMenuUtil;

namespace Ui {
class UserMenuAddDialog;
}

// Creates a user menu: its name and one of three templates (12, 10 or 8
// tiles). "Add" hands both to the store, which then opens the new menu.
// Covers the window given as parent, shows itself when made.
class UserMenuAddDialog : public ZDialog, public OverallView
{
    Q_OBJECT

public:
    explicit UserMenuAddDialog(QWidget* parent);
    ~UserMenuAddDialog() override;

    // The store the new menu goes to; "Add" does nothing before.
    void setUserMenuUtil(UserMenuUtil* menuUtil);
    // The chosen template, 0 to 2.
    int getTableStyle() const;

public slots:
    void createUserMenu(bool checked);

private:
    void retranslate();

    Ui::UserMenuAddDialog* ui;
    QPointer<UserMenuUtil> util;
    QButtonGroup* styles;   // the three template buttons; a button's id is its template
};
