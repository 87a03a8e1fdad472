#include "view/UserManagement.h"
#include "ui_UserManagement.h"

#include "util/AppContext.h"
#include "util/Language.h"
#include "util/OwnMessageId.h"
#include "util/TevaroApp.h"
#include "util/UserManagementUtil.h"
#include "view/MainWindow.h"
#include "view/MessageDialog.h"
#include "view/UserManagementEditDialog.h"
#include "widgets/TevaroResources.h"
#include "widgets/ZLabel.h"

#include <QDateTime>
#include <QGridLayout>
#include <QHeaderView>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QtDebug>

namespace {

const char* const BACK_PICTURE = ":/pic/icon/pfeil_links_lightgrey_darkgreen.bmp";
// Row separators only, as the other lists.
const int ROW_LINES = 4;
const int CLOCK_MS = 1000;
const int HOME_PAGE = 1;
const int DELETE_BUTTON = 0;
const int QUESTION_ICON = 0;
const int REFUSAL_ICON = 1;
// Where the cells' text starts: their 8 px padding and the style's 3 px text margin.
const int HEADER_TEXT_INSET = 11;

struct HeaderText
{
    const char* objectName;
    int id;
    const char* text;
};

const HeaderText HEADER_TEXTS[] = {{"lblUserManagementHeaderName", 923, "Benutzer"},
                                   {"lblUserManagementHeaderRole", 927, "Rolle"},
                                   {"lblUserManagementHeaderLastLogin", 930, "Letzte Anmeldung"}};

} // namespace

UserManagement::UserManagement(QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::UserManagement),
      util(nullptr),
      clock(nullptr),
      addButton(nullptr),
      askMid(0),
      askMuid(0),
      deleteId(UserManagementUtil::NO_ID)
{
    ensureTevaroResources();
    ui->setupUi(this);
    if (QPixmap(QLatin1String(BACK_PICTURE)).isNull())
        qWarning().noquote() << QStringLiteral("User management: the picture %1 is missing; the back button "
                                               "shows its text only")
                                    .arg(QLatin1String(BACK_PICTURE));
    util = new UserManagementUtil(nullptr);

    initUi();
    initTimer();
    connect(ui->tbtnUserManagementBack, &QToolButton::clicked, this, &UserManagement::goBack);

    AppContext* context = AppContext::get();
    if (TevaroApp* app = context->getApp())
        connect(app, &TevaroApp::onLogout, this, &UserManagement::forgetQuestion);
    AppContext::release();

    setTranslatable(ui->tbtnUserManagementBack, 788, QStringLiteral("Zurück"));
    setTranslatable(ui->lblUserManagementHeaderCrumb, 925, QStringLiteral("Benutzerverwaltung"));
    ui->tbtnUserManagementBack->setText(language->getText(788, QStringLiteral("Zurück")));
    ui->lblUserManagementHeaderCrumb->setText(language->getText(925, QStringLiteral("Benutzerverwaltung")));
    language->update(this);
}

UserManagement::~UserManagement()
{
    delete util;
    delete ui;
}

TableObject* UserManagement::getTable() const
{
    return ui->tblUserManagementUserList;
}

void UserManagement::initUi()
{
    QList<QWidget*> widgets;
    for (const HeaderText& header : HEADER_TEXTS) {
        auto* label = new ZLabel();
        label->setObjectName(QLatin1String(header.objectName));
        label->setTextFormat(Qt::PlainText);
        label->setContentsMargins(HEADER_TEXT_INSET, 0, HEADER_TEXT_INSET, 0);
        setTranslatable(label, header.id, QString::fromUtf8(header.text));
        label->setText(language->getText(header.id, QString::fromUtf8(header.text)));
        widgets.append(label);
    }
    auto* container = new QWidget();
    container->setObjectName(QStringLiteral("wgtUserManagementHeaderAdd"));
    auto* layout = new QGridLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    addButton = new QPushButton(container);
    addButton->setObjectName(QStringLiteral("btnUserManagementHeaderAdd"));
    addButton->setFocusPolicy(Qt::NoFocus);
    setTranslatable(addButton, 479, QStringLiteral("Hinzufügen"));
    addButton->setText(language->getText(479, QStringLiteral("Hinzufügen")));
    layout->addWidget(addButton, 0, 0, Qt::AlignVCenter);
    connect(addButton, &QPushButton::clicked, this, &UserManagement::addUser);
    widgets.append(container);

    TableObject* table = getTable();
    table->setHeaderWidgets(widgets, true);
    QHeaderView* header = table->horizontalHeader();
    for (int column = 0; column < UserManagementUtil::TRASH_COLUMN; ++column)
        header->setSectionResizeMode(column, QHeaderView::Stretch);
    fitAddColumn();
}

void UserManagement::fitAddColumn()
{
    // The style sheet's sizes count once the button is polished; its text must fit.
    addButton->ensurePolished();
    const QMargins margins = addButton->parentWidget()->layout()->contentsMargins();
    const int width = qMax(addButton->minimumSize().width(), addButton->sizeHint().width()) + margins.left()
                      + margins.right();
    getTable()->setColumnWidth(UserManagementUtil::TRASH_COLUMN, width);
}

void UserManagement::initTimer()
{
    ui->lblUserManagementTime->setWordWrap(true);
    clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &UserManagement::updateTime);
    clock->start(CLOCK_MS);
    updateTime();
}

void UserManagement::updateTime()
{
    ui->lblUserManagementTime->setText(QDateTime::currentDateTime().toString(QStringLiteral(" dd.MM.yy \n hh:mm")));
}

void UserManagement::goBack()
{
    if (MainWindow* window = getMainWindow())
        window->setPage(HOME_PAGE);
}

void UserManagement::setDefault()
{
    getTable()->clearTableContent();
}

void UserManagement::showEvent(QShowEvent* event)
{
    // The language is chosen on the login page, while this page is hidden.
    fitAddColumn();
    connect(util, &UserManagementUtil::updateUserList, this, &UserManagement::setUserList, Qt::UniqueConnection);
    if (MainWindow* window = getMainWindow())
        connect(window, &MainWindow::updateAppActive, this, &UserManagement::init, Qt::UniqueConnection);
    init();
    QWidget::showEvent(event);
}

void UserManagement::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && addButton)
        fitAddColumn();
    QWidget::changeEvent(event);
}

void UserManagement::hideEvent(QHideEvent* event)
{
    disconnect(util, &UserManagementUtil::updateUserList, this, &UserManagement::setUserList);
    if (MainWindow* window = getMainWindow())
        disconnect(window, &MainWindow::updateAppActive, this, &UserManagement::init);
    QWidget::hideEvent(event);
}

void UserManagement::init()
{
    util->getUserRoles();
    util->getUserList();
}

void UserManagement::setUserList(TableStructure& table)
{
    TableObject* tableObject = getTable();
    disconnect(tableObject, &TableObject::cellClicked, this, &UserManagement::editUser);
    tableObject->clearTableContent();
    tableObject->setTableData(table, false, 0);
    tableObject->setTableStyle(ROW_LINES);
    connect(tableObject, &TableObject::cellClicked, this, &UserManagement::editUser, Qt::UniqueConnection);
}

QWidget* UserManagement::dialogParent()
{
    if (MainWindow* window = getMainWindow())
        return window;
    return window();
}

void UserManagement::addUser(bool)
{
    // The dialog deletes itself when closed.
    new UserManagementEditDialog(util, UserManagementUtil::NEW_USER, dialogParent());
    util->getUserRoles();
}

void UserManagement::editUser(int row, int column)
{
    const int id = util->userIdAt(row);
    if (id == UserManagementUtil::NO_ID) {
        qWarning().noquote() << QStringLiteral("User row %1 has no user id: it can be neither edited nor deleted")
                                    .arg(row);
        return;
    }
    if (column == UserManagementUtil::TRASH_COLUMN) {
        askDelete(id);
        return;
    }
    new UserManagementEditDialog(util, id, dialogParent());
    // The record first, so the dialog can select the user's role from the list.
    util->getUser(id);
    util->getUserRoles();
}

void UserManagement::askDelete(int id)
{
    MessageDialog* messages = getMessageDialog();
    if (!messages)
        return;
    qint64 mid = 0;
    qint64 muid = 0;
    OwnMessageId::next(mid, muid);
    if (!util->isOtherUser(id)) {
        messages->showDialog(mid, muid,
                             language->getText(937, QStringLiteral("Eigenen Benutzer löschen nicht möglich!")),
                             REFUSAL_ICON, QStringList());
        return;
    }
    askMid = mid;
    askMuid = muid;
    deleteId = id;
    messages->showDialog(mid, muid, language->getText(936, QStringLiteral("Benutzer wirklich löschen?")),
                         QUESTION_ICON,
                         {language->getText(291, QStringLiteral("Löschen")),
                          language->getText(302, QStringLiteral("Abbrechen"))});
    connect(messages, &MessageDialog::sendButton_ID, this, &UserManagement::deleteUser, Qt::UniqueConnection);
}

void UserManagement::deleteUser(int button, structMessage message)
{
    // Answers to other messages leave the question waiting.
    if (message.mid != askMid || message.muid != askMuid)
        return;
    if (MessageDialog* messages = getMessageDialog())
        disconnect(messages, &MessageDialog::sendButton_ID, this, &UserManagement::deleteUser);
    const int id = deleteId;
    deleteId = UserManagementUtil::NO_ID;
    askMid = 0;
    askMuid = 0;
    if (button == DELETE_BUTTON && id != UserManagementUtil::NO_ID)
        util->deleteUser(id);
}

void UserManagement::forgetQuestion()
{
    // The answer still ends the question, but deletes nothing for the next login.
    deleteId = UserManagementUtil::NO_ID;
}
