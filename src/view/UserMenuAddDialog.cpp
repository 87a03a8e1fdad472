#include "view/UserMenuAddDialog.h"
#include "ui_UserMenuAddDialog.h"

#include "util/Language.h"
#include "util/UserMenuUtil.h"

namespace {
const int HEADER_INSET = 10;
}

UserMenuAddDialog::UserMenuAddDialog(QWidget* parent)
    : ZDialog(parent),
      OverallView(),
      ui(new Ui::UserMenuAddDialog),
      tableStyle(UserMenuUtil::STYLE_TWELVE)
{
    ui->setupUi(this);
    // The header runs across the panel, its text in line with the fields below.
    ui->lblUserMenuAddDialogHeader->setContentsMargins(HEADER_INSET, 0, HEADER_INSET, 0);
    const QList<QToolButton*> buttons{ui->btnUserMenuAddStyle0, ui->btnUserMenuAddStyle1, ui->btnUserMenuAddStyle2};
    for (QToolButton* button : buttons) {
        button->setCheckable(true);
        connect(button, &QToolButton::clicked, this, &UserMenuAddDialog::updateButtonGroup);
    }
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

void UserMenuAddDialog::updateButtonGroup(bool checked)
{
    Q_UNUSED(checked)
    // Exactly one template is chosen, also when the chosen one is tapped again.
    const QList<QToolButton*> buttons{ui->btnUserMenuAddStyle0, ui->btnUserMenuAddStyle1, ui->btnUserMenuAddStyle2};
    auto* chosen = qobject_cast<QToolButton*>(sender());
    const int index = buttons.indexOf(chosen);
    if (index < 0)
        return;
    for (QToolButton* button : buttons)
        button->setChecked(false);
    chosen->setChecked(true);
    tableStyle = index;
}

void UserMenuAddDialog::createUserMenu(bool checked)
{
    Q_UNUSED(checked)
    // The name as typed, an empty one too: it is only ever stored as a text.
    if (util)
        util->addUserMenu(ui->edtUserMenuAddName->text(), UserMenuUtil::TableStyle(tableStyle));
    close();
}
