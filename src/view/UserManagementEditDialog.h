#pragma once

#include "view/OverallView.h"
#include "widgets/ZDialog.h"

#include <QMap>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVector>

class UserManagementUtil;

namespace Ui {
class UserManagementAddDialog;
}

// The form in which a device user is added (id UserManagementUtil::NEW_USER)
// or changed: name, role, comment and password, with a switch that hides or
// shows the password. Roles and the user's record come from the worker's
// signals; the filled-in form goes back to the worker for sending.
//
// Editing, the password field shows a placeholder for the stored password.
// The placeholder is a state, not a text: focusing the field empties it,
// leaving it empty brings the placeholder back and forgets the edit, and
// whatever the user types (also "***") is the new password. Without a new
// password no "PW" is sent, so the stored one stays.
//
// Only the first record of the dialog's own user fills the form; saving waits
// for it. The role list carries the role ids; saving needs a listed role.
// Covers its parent window, shows itself when made and closes at logout or
// when the application wakes up again.
class UserManagementEditDialog : public ZDialog, public OverallView
{
    Q_OBJECT

public:
    static const QString PASSWORD_PLACEHOLDER;

    UserManagementEditDialog(UserManagementUtil* util, int userId, QWidget* parent);
    ~UserManagementEditDialog() override;

    int getUserId() const { return userId; }
    bool isShowingPlaceholder() const { return placeholderShown; }
    bool isPasswordChanged() const { return passwordChanged; }

public slots:
    void hidePassword(bool checked);
    void saveUser(bool checked = false);
    void checkFormular(QString text);
    void setUserRoleList(QMap<int, QString>& list);
    void setUser(QVector<QVariant>& record);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isEditing() const;
    // The role id chosen in the combo box; -1 when none is.
    int chosenRole() const;
    void selectRole(int roleId);
    // Enables saving exactly when the form can be sent.
    void updateAddButton();
    void showPlaceholder();
    void retranslate();

    Ui::UserManagementAddDialog* ui;
    QPointer<UserManagementUtil> util;
    int userId;
    bool passwordChanged;
    bool placeholderShown;
    bool recordArrived;
    QMap<int, QString> roles;
    QVector<QVariant> record;
};
