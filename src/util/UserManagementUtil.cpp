#include "util/UserManagementUtil.h"

#include "common/JsonMember.h"
#include "common/PathRelation.h"
#include "util/JSONUtil.h"
#include "util/UserRoleUtil.h"

#include <QDateTime>
#include <QtDebug>

const char* const UserManagementUtil::ROLES_PATH = "$.USMG.USRO";
const char* const UserManagementUtil::USERS_PATH = "$.USMG.USLI";
const char* const UserManagementUtil::TRASH_PICTURE = ":/pic/icon/trash.png";
const char* const UserManagementUtil::DATE_FORMAT = "dd.MM.yyyy / HH:mm:ss";

namespace {

// Instructions of user requests.
const int INSTRUCTION_DEL = 2;
const int INSTRUCTION_SET = 3;
// Times the date format shows with its four-digit year: up to the end of
// 9999 (UTC), checked before converting, since later ones overflow the date.
const qint64 LAST_SHOWN_MS = Q_INT64_C(253402300799999);
const int LAST_SHOWN_YEAR = 9999;

QString textOf(const Json::Value& value)
{
    return QString::fromStdString(value.asString());
}

// The device id of a user element: a non-negative int "ID"; NO_ID for anything
// else, so a negative id never names a user to edit or delete.
int userIdOf(const Json::Value& user)
{
    int id = UserManagementUtil::NO_ID;
    return readIntMember(user, "ID", id) && id >= 0 ? id : UserManagementUtil::NO_ID;
}

} // namespace

UserManagementUtil::UserManagementUtil(QObject* parent)
    : OverallUtil(parent),
      rolesDirty(false),
      listDirty(false),
      userDirty(false),
      watchedId(NO_ID),
      trashLoaded(false)
{
    GlobalEnums::registerMetaTypes();
    TableStructure::registerMetaTypes();
    if (jsonUtil) {
        // Automatic: the mirror announces its changes on the receive thread.
        connect(jsonUtil, QOverload<GlobalEnums::InstructionType, QString>::of(&JSONUtil::telegramAvailable), this,
                &UserManagementUtil::jsonTelegramm);
        connect(jsonUtil, &JSONUtil::beforeTelegramAvailable, this, &UserManagementUtil::beforeJsonTelegramm);
        connect(jsonUtil, &JSONUtil::afterTelegramAvailable, this, &UserManagementUtil::afterJsonTelegramm);
    }
    setBlockable(true);
}

// ------------------------------------------------------------- notifications

void UserManagementUtil::beforeJsonTelegramm()
{
    rolesDirty = false;
    listDirty = false;
    userDirty = false;
}

void UserManagementUtil::jsonTelegramm(GlobalEnums::InstructionType, QString path)
{
    static const QString roleNode = QLatin1String(ROLES_PATH);
    static const QString userNode = QLatin1String(USERS_PATH);
    if (pathsRelated(path, roleNode))
        rolesDirty = true;
    const bool listTouched = pathsRelated(path, userNode);
    if (listTouched)
        listDirty = true;
    // A user not found yet may come with any change of the list.
    if (watchedId != NO_ID && (userPath.isEmpty() ? listTouched : pathsRelated(path, userPath)))
        userDirty = true;
}

void UserManagementUtil::afterJsonTelegramm()
{
    // Roles first: the one rebuild of the table then shows their new texts.
    if (rolesDirty)
        getUserRoles();
    if (rolesDirty || listDirty)
        getUserList();
    if (userDirty)
        getUser(watchedId);
    beforeJsonTelegramm();
}

// ------------------------------------------------------------------ reading

bool UserManagementUtil::readList(const char* path, Json::Value& list)
{
    if (!jsonUtil)
        return false;
    list = Json::Value();
    jsonUtil->getMasterJSONbyPath(QLatin1String(path), list, true);
    return list.isArray();
}

void UserManagementUtil::getUserRoles()
{
    Json::Value list;
    if (!readList(ROLES_PATH, list))
        return;
    roles.clear();
    for (const Json::Value& role : list) {
        if (!role.isObject())
            continue;
        int key = NO_ID;
        readIntMember(role, "ID", key);
        int textId = -1;
        QString text;
        jsonUtil->getInternationalisationFromID(jsonMember(role, "DESC"), textId, text);
        roles.insert(key, text);   // of two roles with one id the later wins
    }
    emit updateUserRoleList(roles);
}

const QPixmap& UserManagementUtil::trashPicture()
{
    if (!trashLoaded) {
        trashLoaded = true;
        trash = QPixmap(QLatin1String(TRASH_PICTURE));
        if (trash.isNull())
            qWarning().noquote() << QStringLiteral("User list: the picture %1 is missing; the delete column "
                                                   "stays empty")
                                        .arg(QLatin1String(TRASH_PICTURE));
    }
    return trash;
}

QString UserManagementUtil::lastLoginText(const Json::Value& value)
{
    if (!value.isInt64())
        return QString();
    const qint64 ms = value.asInt64();
    if (ms < 0 || ms > LAST_SHOWN_MS)
        return QString();   // never logged in, or no showable time
    const QDateTime time = QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime);
    if (!time.isValid() || time.date().year() > LAST_SHOWN_YEAR)
        return QString();
    return time.toString(QLatin1String(DATE_FORMAT));
}

QVector<TableCell> UserManagementUtil::rowOf(const Json::Value& user)
{
    QVector<TableCell> row(COLUMN_COUNT);
    for (TableCell& cell : row)
        cell.setCellType(TableCell::TEXT);

    const Json::Value& name = jsonMember(user, "NAME");
    if (name.isString())
        row[NAME_COLUMN].setValue(textOf(name));
    int roleId = NO_ID;
    if (readIntMember(jsonMember(user, "USRO"), "ID", roleId))
        row[ROLE_COLUMN].setValue(roles.value(roleId, QString()));
    const QString lastLogin = lastLoginText(jsonMember(jsonMember(user, "LAST"), "DU"));
    if (!lastLogin.isEmpty())
        row[LAST_LOGIN_COLUMN].setValue(lastLogin);
    TableCell& trashCell = row[TRASH_COLUMN];
    trashCell.setCellType(TableCell::ICON);
    trashCell.setAlignment(TableCell::ALIGN_RIGHT);
    if (!trashPicture().isNull())
        trashCell.setValue(trashPicture());
    return row;
}

void UserManagementUtil::getUserList()
{
    Json::Value list;
    if (!readList(USERS_PATH, list))
        return;   // the screen keeps its table
    ids.clear();
    ids.reserve(int(list.size()));
    QVector<QVector<TableCell>> rows;
    rows.reserve(int(list.size()));
    for (const Json::Value& user : list) {
        rows.append(user.isObject() ? rowOf(user) : QVector<TableCell>());
        ids.append(userIdOf(user));
    }
    TableStructure table;
    table.setRows(rows);
    emit updateUserList(table);
}

void UserManagementUtil::getUser(int id)
{
    watchedId = id < 0 ? NO_ID : id;
    userPath.clear();
    Json::Value list;
    if (id < 0 || !readList(USERS_PATH, list))
        return;
    for (Json::ArrayIndex index = 0; index < list.size(); ++index) {
        const Json::Value& user = list[index];
        if (userIdOf(user) != id)
            continue;
        userPath = QStringLiteral("%1[%2]").arg(QLatin1String(USERS_PATH)).arg(index);
        int roleId = NO_ID;
        readIntMember(jsonMember(user, "USRO"), "ID", roleId);
        const Json::Value& name = jsonMember(user, "NAME");
        const Json::Value& hint = jsonMember(user, "HINT");
        QVector<QVariant> record{name.isString() ? textOf(name) : QString(), roleId,
                                 hint.isString() ? textOf(hint) : QString(), id};
        emit updateUser(record);
        return;
    }
}

int UserManagementUtil::userIdAt(int row) const
{
    return row >= 0 && row < ids.size() ? ids.at(row) : NO_ID;
}

bool UserManagementUtil::isOtherUser(int id)
{
    if (!userRoleUtil)
        return false;
    const int ownId = userRoleUtil->getUserId();
    if (ownId >= 0)
        return id != ownId;
    // No id in the login answer: the listed name decides, and a user the list
    // does not name is not taken for another.
    const QString ownName = UserRoleUtil::trimUserName(userRoleUtil->getUserName());
    Json::Value list;
    if (ownName.isEmpty() || !readList(USERS_PATH, list))
        return false;
    for (const Json::Value& user : list) {
        const Json::Value& userId = jsonMember(user, "ID");
        const Json::Value& name = jsonMember(user, "NAME");
        if (userId.isInt() && userId.asInt() == id && name.isString())
            return UserRoleUtil::trimUserName(QString::fromStdString(name.asString())) != ownName;
    }
    return false;
}

bool UserManagementUtil::userExists(const QString& name)
{
    const std::string wanted = UserRoleUtil::trimUserName(name).toStdString();
    Json::Value list;
    if (wanted.empty() || !readList(USERS_PATH, list))
        return false;   // without a list the device judges the name
    for (const Json::Value& user : list) {
        const Json::Value& userName = jsonMember(user, "NAME");
        if (userName.isString() && userName.asString() == wanted)
            return true;
    }
    return false;
}

// ------------------------------------------------------------------ sending

bool UserManagementUtil::deleteUser(int id)
{
    if (!jsonUtil)
        return false;
    if (id < 0) {
        qWarning().noquote() << "User not deleted: the row names no user id";
        return false;
    }
    if (!isOtherUser(id)) {
        qWarning().noquote() << QStringLiteral("User %1 not deleted: it is the logged-in user").arg(id);
        return false;
    }
    Json::Value value(Json::objectValue);
    value["ID"] = id;
    jsonUtil->requestUser(QLatin1String(USERS_PATH), value, INSTRUCTION_DEL);
    getUserList();
    return true;
}

bool UserManagementUtil::saveUser(int id, int newId, int roleId, const QStringList& fields, bool passwordChanged)
{
    if (!jsonUtil)
        return false;
    const bool creating = id == newId;
    const QString name = UserRoleUtil::trimUserName(fields.value(0));
    const QString hint = fields.value(1);
    const QString password = fields.value(2);
    QString refusal;
    if (!creating && id < 0)
        refusal = QStringLiteral("the row names no user id");
    else if (name.isEmpty())
        refusal = QStringLiteral("the name is empty");
    else if (roleId == NO_ID || !roles.contains(roleId))
        refusal = QStringLiteral("role %1 is not in the role list").arg(roleId);
    else if (creating && password.isEmpty())
        refusal = QStringLiteral("a new user needs a password");
    if (!refusal.isEmpty()) {
        qWarning().noquote() << QStringLiteral("User %1 not saved: %2").arg(creating ? QStringLiteral("(new)")
                                                                                     : QString::number(id),
                                                                            refusal);
        return false;
    }

    Json::Value value(Json::objectValue);
    value["ID"] = creating ? NEW_USER : id;
    value["NAME"] = name.toStdString();
    value["USRO"]["ID"] = roleId;
    value["HINT"] = hint.toStdString();
    // An empty password is never sent: it would wipe the stored one.
    if ((creating || passwordChanged) && !password.isEmpty())
        value["PW"] = password.toStdString();
    jsonUtil->requestUser(QLatin1String(USERS_PATH), value, INSTRUCTION_SET);
    getUserList();
    return true;
}
