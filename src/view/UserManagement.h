#pragma once

#include "common/TableStructure.h"
#include "util/StructMessage.h"
#include "view/OverallView.h"

#include <QWidget>

class QPushButton;
class QTimer;
class TableObject;
class UserManagementUtil;

namespace Ui {
class UserManagement;
}

// The user-management page: the device's users in a table (name, role, last
// login, trash picture) under a header whose last cell adds a user. Touching
// a row opens the user in the edit dialog; the trash picture asks before it
// deletes, and refuses for the logged-in user's own row. The clicked row's
// user id is taken when the dialog opens or the question is asked, so a table
// that changes meanwhile never redirects the action to another user.
//
// While shown, the table follows the worker's updates; on every showing it is
// rebuilt from the mirror. A question asked before a logout deletes nothing.
class UserManagement : public QWidget, public OverallView
{
    Q_OBJECT

public:
    explicit UserManagement(QWidget* parent = nullptr);
    ~UserManagement() override;

    UserManagementUtil* getUtil() const { return util; }
    TableObject* getTable() const;
    QPushButton* getAddButton() const { return addButton; }
    // The user the open delete question is about; -1 when none is open.
    int getPendingDeleteId() const { return deleteId; }

public slots:
    void setUserList(TableStructure& table);
    void editUser(int row, int column);
    void addUser(bool checked = false);
    void deleteUser(int button, structMessage message);
    void updateTime();
    void goBack();
    void init();
    // Called after a successful login: empties the table.
    void setDefault();
    // At logout: the open question, if any, no longer deletes.
    void forgetQuestion();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void initUi();
    void initTimer();
    // The add button's column as wide as the button in the current language.
    void fitAddColumn();
    void askDelete(int id);
    // The window the dialogs cover.
    QWidget* dialogParent();

    Ui::UserManagement* ui;
    UserManagementUtil* util;   // owned
    QTimer* clock;
    QPushButton* addButton;
    // Ids of the open delete question and the user it names.
    qint64 askMid;
    qint64 askMuid;
    int deleteId;
};
