#pragma once

#include "common/GlobalEnums.h"
#include "common/TableStructure.h"
#include "util/OverallUtil.h"

#include <json/json.h>

#include <QMap>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

// The worker behind user management: reads the device's roles ($.USMG.USRO)
// and users ($.USMG.USLI) from the mirror, builds the user table (name, role,
// last login, trash picture), hands one user's record and the role list to
// the edit dialog, tells whether a name is taken, and sends the creation,
// change and deletion of users as user telegrams. It never changes the mirror:
// a change shows once the device answers with its own telegram.
//
// Users are named by their device id, never by a table row: a row can point
// to another user by the time a question is answered or a dialog saved. Rows
// without an integer "ID" of 0 or more get the id NO_ID and are never edited
// or deleted.
// Passwords are only ever placed in the telegram, never logged.
//
// Lives in the GUI thread; the mirror's notifications arrive queued.
class UserManagementUtil : public OverallUtil
{
    Q_OBJECT

public:
    static constexpr int NO_ID = -1;
    // The id that asks the device to create a user.
    static constexpr int NEW_USER = -1;
    // Columns of the user table.
    enum Column { NAME_COLUMN = 0, ROLE_COLUMN = 1, LAST_LOGIN_COLUMN = 2, TRASH_COLUMN = 3, COLUMN_COUNT = 4 };
    // Entries of a user record: name (QString), role id (int, NO_ID when
    // unreadable), comment (QString), user id (int).
    enum RecordEntry { RECORD_NAME = 0, RECORD_ROLE = 1, RECORD_HINT = 2, RECORD_ID = 3 };

    static const char* const ROLES_PATH;
    static const char* const USERS_PATH;
    static const char* const TRASH_PICTURE;
    static const char* const DATE_FORMAT;

    explicit UserManagementUtil(QObject* parent = nullptr);

    // Reads $.USMG.USRO and emits updateUserRoleList; nothing when it is no list.
    void getUserRoles();
    // Reads $.USMG.USLI and emits updateUserList; nothing when it is no list.
    void getUserList();
    // Reads the user with that id, emits updateUser with its record, and
    // watches it: a later change of that user reads it again.
    void getUser(int id);
    // The user id of a row of the last table; NO_ID for a row without one.
    int userIdAt(int row) const;
    // True only when id is surely not the logged-in user's: by the login
    // answer's user id, or, when that answer carried none, by the name the
    // device lists for id. Unknown counts as the own account.
    bool isOtherUser(int id);
    // Whether a user of the mirror's list has exactly this name, trimmed. Asks
    // the device for the list only when the mirror has none; then the name is free.
    bool userExists(const QString& name);
    // Sends the deletion of the user with that id; false when refused here.
    bool deleteUser(int id);
    // Sends a new user (id == newId) or a change of the user with that id.
    // fields: name, comment, password. The name goes out trimmed, comment and
    // password as typed; the password only with passwordChanged and never
    // empty. Refused (false, a warning, nothing sent) without a name, a listed
    // role, or, for a new user, a password.
    bool saveUser(int id, int newId, int roleId, const QStringList& fields, bool passwordChanged);

    QMap<int, QString> getRoles() const { return roles; }
    QVector<int> getIds() const { return ids; }

    // Text of a last-login time; empty for a value that is no showable time.
    static QString lastLoginText(const Json::Value& value);

signals:
    void updateUserList(TableStructure& table);
    void updateUser(QVector<QVariant>& record);
    void updateUserRoleList(QMap<int, QString>& roles);

public slots:
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);
    void afterJsonTelegramm();
    void beforeJsonTelegramm();

private:
    bool readList(const char* path, Json::Value& list);
    QVector<TableCell> rowOf(const Json::Value& user);
    const QPixmap& trashPicture();

    bool rolesDirty;
    bool listDirty;
    bool userDirty;
    int watchedId;      // the user last read for the dialog; NO_ID before
    QString userPath;   // "$.USMG.USLI[i]" of that user when it was found
    QVector<int> ids;   // one per table row
    QMap<int, QString> roles;
    QPixmap trash;
    bool trashLoaded;
};
