#include "view/UserMenuAddDialog.h"
#include "ui_UserMenuAddDialog.h"

#include "util/Language.h"
#include "util/UserMenuUtil.h"

#include <QButtonGroup>

namespace {
const int HEADER_INSET = 10;
}

UserMenuAddDialog::UserMenuAddDialog(QWidget* parent)
    : ZDialog(parent),
      OverallView(),
      ui(new Ui::UserMenuAddDialog),
      styles(new QButtonGroup(this))
{
    ui->setupUi(this);
    // The header runs across the panel, its text in line with the fields below.
    ui->lblUserMenuAddDialogHeader->setContentsMargins(HEADER_INSET, 0, HEADER_INSET, 0);
    // Exclusive: exactly one template is chosen, also when the chosen one is tapped again.
    styles->addButton(ui->btnUserMenuAddStyle0, UserMenuUtil::STYLE_TWELVE);
    styles->addButton(ui->btnUserMenuAddStyle1, UserMenuUtil::STYLE_TEN);
    styles->addButton(ui->btnUserMenuAddStyle2, UserMenuUtil::STYLE_EIGHT);
    ui->btnUserMenuAddStyle0->setChecked(true);
    connect(ui->btnUserMenuAddClose, &QPushButton::pressed, this, &UserMenuAddDialog::close);
    retranslate();
    language->update(this);
    show();
}

UserMenuAddDialog::~UserMenuAddDialog()
{
    delete ui;
}

void UserMenuAddDialog::retranslate()
{
    setTranslatable(ui->lblUserMenuAddDialogHeader, 749, QStringLiteral("Usermenü hinzufügen"));
    setTranslatable(ui->lblUserMenuAddDialogName, 746, QStringLiteral("Usermenüs"));
    setTranslatable(ui->lblUserMenuAddStyle, 750, QStringLiteral("UserMenü-Schablone"));
    setTranslatable(ui->btnUserMenuAdd, 479, QStringLiteral("Hinzufügen"));
    setTranslatable(ui->btnUserMenuAddClose, 302, QStringLiteral("Abbrechen"));
}

void UserMenuAddDialog::setUserMenuUtil(UserMenuUtil* menuUtil)
{
    util = menuUtil;
    connect(ui->btnUserMenuAdd, &QPushButton::clicked, this, &UserMenuAddDialog::createUserMenu,
            Qt::UniqueConnection);
}

int UserMenuAddDialog::getTableStyle() const
{
    return styles->checkedId();
}

void UserMenuAddDialog::createUserMenu(bool checked)
{
    Q_UNUSED(checked)
    // The name as typed, an empty one too: it is only ever stored as a text.
    if (util)
        util->addUserMenu(ui->edtUserMenuAddName->text(), UserMenuUtil::TableStyle(getTableStyle()));
    close();
}
