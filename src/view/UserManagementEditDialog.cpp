#include "view/UserManagementEditDialog.h"
#include "ui_UserManagementAddDialog.h"

#include "util/Language.h"
#include "util/OwnMessageId.h"
#include "util/UserManagementUtil.h"
#include "util/UserRoleUtil.h"
#include "view/MainWindow.h"
#include "view/MessageDialog.h"
#include "widgets/GestureSetupHook.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>

const QString UserManagementEditDialog::PASSWORD_PLACEHOLDER = QStringLiteral("***");

namespace {

const int NAME_TAKEN_TEXT_ID = 963;
const int NOTICE_ICON = 0;
const int BOTH_DIRECTIONS = 3;

} // namespace

UserManagementEditDialog::UserManagementEditDialog(UserManagementUtil* util, int userId, QWidget* parent)
    : ZDialog(parent),
      OverallView(),
      ui(new Ui::UserManagementAddDialog),
      util(util),
      userId(userId),
      passwordChanged(false),
      placeholderShown(false),
      recordArrived(false)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    ZCheckButton* hide = ui->btnUserManagementAddPassword;
    hide->setCheckable(true);
    // The button's own check state leads, whatever sets it (a tap, setChecked,
    // toggle, setCheckStatus); picture and echo mode follow it. A tap toggles
    // the checkable button already, so the picture's own toggling is cut off.
    disconnect(hide, &QPushButton::clicked, hide, &ZCheckButton::customClick);
    connect(hide, &QAbstractButton::toggled, hide, &ZCheckButton::setCheckStatus);
    connect(hide, &QAbstractButton::toggled, this, &UserManagementEditDialog::hidePassword);
    connect(hide, QOverload<bool>::of(&ZCheckButton::changeCheckStatus), hide, &QAbstractButton::setChecked);
    hide->setChecked(true);
    hide->setCheckStatus(true);
    hidePassword(true);
    ui->edtUserManagementAddPassword->installEventFilter(this);

    connect(ui->btnUserManagementAddClose, &QPushButton::pressed, this, &QDialog::close);
    connect(ui->btnUserManagementAdd, &QPushButton::clicked, this, &UserManagementEditDialog::saveUser);
    connect(ui->edtUserManagementAddPassword, &QLineEdit::textEdited, this, &UserManagementEditDialog::checkFormular);
    connect(ui->edtUserManagementAddName, &QLineEdit::textEdited, this, &UserManagementEditDialog::checkFormular);
    connect(ui->cmbUserManagementAddRights, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { updateAddButton(); });

    if (isEditing()) {
        // A user's name cannot be changed; the rest waits for the user's record.
        ui->edtUserManagementAddName->setEnabled(false);
        ui->cmbUserManagementAddRights->setEnabled(false);
        ui->edtUserManagementAddHint->setEnabled(false);
        ui->edtUserManagementAddPassword->setEnabled(false);
        showPlaceholder();
    }
    updateAddButton();

    if (util) {
        connect(util, &UserManagementUtil::updateUserRoleList, this, &UserManagementEditDialog::setUserRoleList);
        connect(util, &UserManagementUtil::updateUser, this, &UserManagementEditDialog::setUser);
    }
    if (auto* mainWindow = qobject_cast<MainWindow*>(parent))
        connect(mainWindow, &MainWindow::updateAppActive, this, &QDialog::close);
    closeOnLogout(this);

    gestureSetupHook(ui->edtUserManagementAddHint, BOTH_DIRECTIONS);
    retranslate();
    language->update(this);
    show();
}

UserManagementEditDialog::~UserManagementEditDialog()
{
    // Focus changes while the widgets go must not reach this half-destroyed dialog.
    ui->edtUserManagementAddPassword->removeEventFilter(this);
    delete ui;
}

bool UserManagementEditDialog::isEditing() const
{
    return userId != UserManagementUtil::NEW_USER;
}

void UserManagementEditDialog::retranslate()
{
    const bool editing = isEditing();
    const struct
    {
        QWidget* widget;
        int id;
        QString text;
    } texts[] = {
        {ui->lblUserManagementAddHeader, editing ? 935 : 931,
         editing ? QStringLiteral("Benutzer bearbeiten") : QStringLiteral("Benutzer hinzufügen")},
        {ui->btnUserManagementAdd, editing ? 687 : 479,
         editing ? QStringLiteral("Speichern") : QStringLiteral("Hinzufügen")},
        {ui->lblUserManagementAddHint, 519, QStringLiteral("Kommentar")},
        {ui->lblUserManagementAddName, 932, QStringLiteral("Benutzername*")},
        {ui->lblUserManagementAddPassword, 929, QStringLiteral("Passwort*")},
        {ui->lblUserManagementAddRights, 926, QStringLiteral("Benutzerrolle*")},
        {ui->lblUserManagementAddHide, 933, QStringLiteral("Passwort verbergen")},
        {ui->btnUserManagementAddClose, 302, QStringLiteral("Abbrechen")},
        {ui->lblUserManagementAddFootNote, 934, QStringLiteral("*Pflichtfeld")},
    };
    for (const auto& text : texts) {
        setTranslatable(text.widget, text.id, text.text);
        const QString shown = language->getText(text.id, text.text);
        if (auto* label = qobject_cast<QLabel*>(text.widget))
            label->setText(shown);
        else if (auto* button = qobject_cast<QAbstractButton*>(text.widget))
            button->setText(shown);
    }
}

void UserManagementEditDialog::hidePassword(bool checked)
{
    ui->edtUserManagementAddPassword->setEchoMode(checked ? QLineEdit::Password : QLineEdit::Normal);
}

void UserManagementEditDialog::showPlaceholder()
{
    ui->edtUserManagementAddPassword->setText(PASSWORD_PLACEHOLDER);
    placeholderShown = true;
    passwordChanged = false;
    ui->btnUserManagementAddPassword->setCheckStatus(true);
    ui->btnUserManagementAddPassword->setEnabled(false);
    hidePassword(true);
}

bool UserManagementEditDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->edtUserManagementAddPassword) {
        if (event->type() == QEvent::FocusIn && placeholderShown) {
            placeholderShown = false;
            ui->edtUserManagementAddPassword->clear();
            ui->btnUserManagementAddPassword->setEnabled(true);
            updateAddButton();
        } else if (event->type() == QEvent::FocusOut && isEditing()
                   && ui->edtUserManagementAddPassword->text().isEmpty()) {
            showPlaceholder();
            updateAddButton();
        }
    }
    return ZDialog::eventFilter(watched, event);
}

void UserManagementEditDialog::checkFormular(QString)
{
    if (sender() == ui->edtUserManagementAddPassword && !placeholderShown)
        passwordChanged = true;
    updateAddButton();
}

int UserManagementEditDialog::chosenRole() const
{
    bool ok = false;
    const int id = ui->cmbUserManagementAddRights->currentData().toInt(&ok);
    return ok && id != UserManagementUtil::NO_ID && roles.contains(id) ? id : UserManagementUtil::NO_ID;
}

void UserManagementEditDialog::selectRole(int roleId)
{
    ui->cmbUserManagementAddRights->setCurrentIndex(ui->cmbUserManagementAddRights->findData(roleId));
}

void UserManagementEditDialog::updateAddButton()
{
    const QString password = ui->edtUserManagementAddPassword->text();
    bool complete = chosenRole() != UserManagementUtil::NO_ID;
    if (isEditing())
        complete = complete && recordArrived && (placeholderShown || !password.isEmpty());
    else
        complete = complete && !UserRoleUtil::trimUserName(ui->edtUserManagementAddName->text()).isEmpty()
                   && !password.isEmpty();
    ui->btnUserManagementAdd->setEnabled(complete);
}

void UserManagementEditDialog::setUser(QVector<QVariant>& newRecord)
{
    if (!isEditing() || recordArrived || newRecord.size() <= UserManagementUtil::RECORD_ID)
        return;
    bool ok = false;
    if (newRecord.at(UserManagementUtil::RECORD_ID).toInt(&ok) != userId || !ok)
        return;   // another user's record
    record = newRecord;
    recordArrived = true;
    ui->edtUserManagementAddName->setText(record.at(UserManagementUtil::RECORD_NAME).toString());
    ui->edtUserManagementAddHint->setPlainText(record.at(UserManagementUtil::RECORD_HINT).toString());
    ui->cmbUserManagementAddRights->setEnabled(true);
    ui->edtUserManagementAddHint->setEnabled(true);
    ui->edtUserManagementAddPassword->setEnabled(true);
    if (chosenRole() == UserManagementUtil::NO_ID)
        selectRole(record.at(UserManagementUtil::RECORD_ROLE).toInt());
    updateAddButton();
}

void UserManagementEditDialog::setUserRoleList(QMap<int, QString>& list)
{
    QComboBox* box = ui->cmbUserManagementAddRights;
    const QVariant remembered = box->currentData();
    roles = list;
    box->clear();
    for (auto it = roles.constBegin(); it != roles.constEnd(); ++it) {
        if (it.key() != UserManagementUtil::NO_ID)
            box->addItem(it.value(), it.key());
    }
    if (remembered.isValid() && box->findData(remembered) >= 0)
        box->setCurrentIndex(box->findData(remembered));   // a refreshed list keeps the choice
    else if (recordArrived)
        selectRole(record.at(UserManagementUtil::RECORD_ROLE).toInt());   // none when it is not listed
    else if (isEditing())
        box->setCurrentIndex(-1);
    else
        box->setCurrentIndex(box->count() > 0 ? 0 : -1);
    updateAddButton();
}

void UserManagementEditDialog::saveUser(bool)
{
    if (!util || !ui->btnUserManagementAdd->isEnabled())
        return;
    const QString name = ui->edtUserManagementAddName->text();
    if (!isEditing() && util->userExists(name)) {
        qint64 mid = 0;
        qint64 muid = 0;
        OwnMessageId::next(mid, muid);
        if (MessageDialog* messages = getMessageDialog())
            messages->showDialog(mid, muid,
                                 language->getText(NAME_TAKEN_TEXT_ID, QStringLiteral("Benutzername exisitiert bereits!")),
                                 NOTICE_ICON, QStringList());
        return;
    }
    const QString password = placeholderShown ? QString() : ui->edtUserManagementAddPassword->text();
    const QStringList fields{name, ui->edtUserManagementAddHint->toPlainText(), password};
    const int id = isEditing() ? userId : UserManagementUtil::NEW_USER;
    if (util->saveUser(id, UserManagementUtil::NEW_USER, chosenRole(), fields, passwordChanged && !placeholderShown))
        close();
}
