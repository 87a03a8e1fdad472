#include "view/UserMenu.h"
#include "ui_UserMenu.h"

#include "util/Language.h"
#include "view/MainWindow.h"
#include "view/TableObject.h"
#include "view/UserMenuAddDialog.h"
#include "view/UserMenuSelectValueDialog.h"
#include "widgets/ZLabel.h"
#include "widgets/ZMeasureTextWidget.h"
#include "widgets/ZUserMenuWidget.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>

namespace {

const int TABLE_MIN_WIDTH = 400;
// Pixel heights of the row-height classes 0, 1 and 2.
const int ROW_CLASS_HEIGHTS[] = {240, 160, 80};
const int ROW_CLASS_COUNT = 3;
// Line flags of the table: none for the list, a grid between the tiles.
const int LIST_TABLE_STYLE = 4;
const int GRID_TABLE_STYLE = 6;
const int TRASH_COLUMN = 1;
// The distance the style sheet gives table item text from the cell's edge.
const int TEXT_INSET = 8;
const int MENU_TEXT_ID = 745;
const int ADD_TEXT_ID = 479;

// Row-height classes per template, one entry per pair of tiles; null for an unknown template.
const QVector<int>* rowClassesOf(UserMenuUtil::TableStyle style)
{
    static const QVector<int> twelve{2, 2, 2, 2, 2, 2};
    static const QVector<int> ten{0, 2, 2, 2, 2};
    static const QVector<int> eight{0, 1, 2, 2};
    switch (style) {
    case UserMenuUtil::STYLE_TWELVE:
        return &twelve;
    case UserMenuUtil::STYLE_TEN:
        return &ten;
    case UserMenuUtil::STYLE_EIGHT:
        return &eight;
    }
    return nullptr;
}

QStringList tileTexts(const QVariant& value)
{
    if (value.userType() != qMetaTypeId<QVector<QString>>())
        return QStringList();
    return value.value<QVector<QString>>().toList();
}

} // namespace

UserMenu::UserMenu(QWidget* parent)
    : QWidget(parent),
      OverallView(),
      ui(new Ui::UserMenu),
      showingMenuList(true),
      util(nullptr),
      refreshTimer(nullptr),
      cellsPerRow(0),
      rowCount(0),
      selectDialog(nullptr)
{
    ui->setupUi(this);

    util = new UserMenuUtil(nullptr);
    refreshTimer = new QTimer(this);
    refreshTimer->setSingleShot(true);
    connect(util, &UserMenuUtil::updateMenuList, this, &UserMenu::setMenuList);
    connect(util, &UserMenuUtil::updateUserMenu, this, &UserMenu::setUserMenu);
    connect(util, &UserMenuUtil::openMenu, this,
            QOverload<int, UserMenuUtil::TableStyle>::of(&UserMenu::getUserMenu));
    connect(getTable(), &TableObject::detectDisplayWidget, this, &UserMenu::setDisplayWidget);
    connect(refreshTimer, &QTimer::timeout, this, QOverload<>::of(&UserMenu::getUserMenu));

    updateColumnCount();
}

UserMenu::~UserMenu()
{
    delete util;
    delete ui;
}

TableObject* UserMenu::getTable() const
{
    return ui->tblUserMenu;
}

QWidget* UserMenu::dialogParent()
{
    if (MainWindow* mainWindow = getMainWindow())
        return mainWindow;
    return window();
}

// ------------------------------------------------------------- geometry

int UserMenu::cellsPerRowForWidth() const
{
    // At least one: the table's minimum width does not hold a screen that is narrower.
    return qBound(1, width() / CELL_WIDTH, MAX_CELLS_PER_ROW);
}

void UserMenu::updateColumnCount()
{
    getTable()->setMinimumWidth(TABLE_MIN_WIDTH);
    cellsPerRow = cellsPerRowForWidth();
    util->setColumnCount(cellsPerRow);
}

void UserMenu::applyTableStyle(UserMenuUtil::TableStyle style)
{
    if (const QVector<int>* classes = rowClassesOf(style))
        rowCount = 2 * classes->size() / cellsPerRow;
    else
        qWarning("User menu template %d is unknown; the grid keeps %d rows.", int(style), rowCount);
    util->setRowCount(rowCount);
}

int UserMenu::rowHeight(int row) const
{
    const QVector<int>* classes = rowClassesOf(util->getCurrentTableStyle());
    if (!classes)
        return 0;
    // One entry per pair of tiles: with one tile per row it covers two rows.
    const int entry = cellsPerRow * row / 2;
    if (row < 0 || entry >= classes->size())
        return 0;
    const int rowClass = classes->at(entry);
    return rowClass >= 0 && rowClass < ROW_CLASS_COUNT ? ROW_CLASS_HEIGHTS[rowClass] : 0;
}

// ------------------------------------------------------------ menu list

void UserMenu::setMenuListHeader()
{
    auto* title = new ZLabel();
    title->setObjectName(QStringLiteral("lblUserMenuListTitle"));
    title->setContentsMargins(TEXT_INSET, 0, TEXT_INSET, 0);
    setTranslatable(title, MENU_TEXT_ID, QStringLiteral("Usermenü"));
    title->setText(language->getText(MENU_TEXT_ID, QStringLiteral("Usermenü")));

    auto* container = new QWidget();
    container->setObjectName(QStringLiteral("wgtUserMenuListAdd"));
    auto* layout = new QGridLayout(container);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* add = new QPushButton(container);
    add->setObjectName(QStringLiteral("btnUserMenuListAdd"));
    add->setFocusPolicy(Qt::NoFocus);
    add->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    setTranslatable(add, ADD_TEXT_ID, QStringLiteral("Hinzufügen"));
    add->setText(language->getText(ADD_TEXT_ID, QStringLiteral("Hinzufügen")));
    layout->addWidget(add, 0, 0, Qt::AlignVCenter);
    connect(add, &QPushButton::clicked, this, &UserMenu::openAddDialog, Qt::UniqueConnection);

    // The table owns the header widgets from here on and deletes them when replaced.
    QList<QWidget*> widgets{title, container};
    TableObject* table = getTable();
    table->setHeaderWidgets(widgets, true);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    // The style sheet's sizes count once the button is polished; its text must fit too.
    add->ensurePolished();
    const int width = qMax(add->minimumSize().width(), add->sizeHint().width());
    table->setColumnWidth(TRASH_COLUMN, width);
}

void UserMenu::setMenuList(TableStructure& table)
{
    showingMenuList = true;
    shownGridMenu = -1;
    TableObject* tableObject = getTable();
    disconnect(tableObject, &TableObject::cellClicked, this, &UserMenu::deleteSetUserMenu);
    disconnectSelectValueDialog();
    tableObject->clearTable();

    setMenuListHeader();
    tableObject->setTableData(table, false, 0);
    tableObject->setTableStyle(LIST_TABLE_STYLE);
    connect(tableObject, &TableObject::cellClicked, this, &UserMenu::deleteSetUserMenu, Qt::UniqueConnection);
}

void UserMenu::deleteSetUserMenu(int row, int column)
{
    if (row < 0)
        return;
    if (column == TRASH_COLUMN) {
        // No question asked: the list is rebuilt without the menu.
        util->deleteUserMenu(row);
        return;
    }
    applyTableStyle(util->getTableStyle(row));
    showingMenuList = false;
    util->getUserMenu(row);
}

void UserMenu::openAddDialog(bool checked)
{
    Q_UNUSED(checked)
    auto* dialog = new UserMenuAddDialog(dialogParent());
    dialog->setUserMenuUtil(util);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    closeOnLogout(dialog);
}

void UserMenu::getUserMenu(int index, UserMenuUtil::TableStyle style)
{
    // A menu just created: the store has read it in already.
    applyTableStyle(style);
    showingMenuList = false;
    util->getUserMenu(index);
}

bool UserMenu::goBack()
{
    if (showingMenuList)
        return false;
    init();
    return true;
}

void UserMenu::init()
{
    showingMenuList = true;
    util->getJsonPath();
    util->getMenuList();
}

void UserMenu::clearTable()
{
    refreshTimer->stop();
    showingMenuList = true;
    shownGridMenu = -1;
    disconnect(getTable(), &TableObject::cellClicked, this, &UserMenu::deleteSetUserMenu);
    disconnectSelectValueDialog();
    getTable()->clearTable();
}

// ----------------------------------------------------------------- grid

void UserMenu::setUserMenu(TableStructure& table)
{
    if (showingMenuList)
        return;
    if (refreshTilesInPlace(table))
        return;
    TableObject* tableObject = getTable();
    disconnect(tableObject, &TableObject::cellClicked, this, &UserMenu::deleteSetUserMenu);
    disconnectSelectValueDialog();
    const int scrollValue = tableObject->verticalScrollBar()->value();
    tableObject->clearTable();

    tableObject->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tableObject->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tableObject->horizontalHeader()->hide();
    tableObject->setColumnCount(cellsPerRow);

    tableObject->setTableData(table, false, 0);
    tableObject->setTableStyle(GRID_TABLE_STYLE);
    tableObject->verticalScrollBar()->setValue(scrollValue);
    connectSelectValueDialog();
}

bool UserMenu::refreshTilesInPlace(TableStructure& table)
{
    // A refresh of the grid already shown (same menu, same shape) only
    // changes texts and status: the tiles stay, nothing is built again.
    TableObject* tableObject = getTable();
    const QVector<QVector<TableCell>> rows = table.getRows();
    if (rows.isEmpty() || rows.size() != tableObject->rowCount() || cellsPerRow != tableObject->columnCount()
        || shownGridMenu != util->getCurrentMenu())
        return false;
    QVector<ZUserMenuWidget*> tiles;
    for (int row = 0; row < rows.size(); ++row) {
        if (rows.at(row).size() != cellsPerRow)
            return false;
        for (int column = 0; column < cellsPerRow; ++column) {
            // The table places a tile inside a container of its own.
            QWidget* holder = tableObject->cellWidget(row, column);
            auto* tile = holder ? holder->findChild<ZUserMenuWidget*>() : nullptr;
            if (!tile)
                return false;
            tiles.append(tile);
        }
    }
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < cellsPerRow; ++column)
            showTile(tiles.at(row * cellsPerRow + column), rows.at(row).at(column));
    }
    return true;
}

void UserMenu::showTile(ZUserMenuWidget* tile, const TableCell& cell)
{
    const QStringList texts = tileTexts(cell.getValue());
    bool isNumber = false;
    int status = cell.getData().toInt(&isNumber);
    if (!isNumber)
        status = 0;
    const bool assigned = texts.size() == 4;
    tile->getChannelNumber()->setText(assigned ? texts.at(0) : QString());
    tile->getChannelName()->setText(assigned ? texts.at(1) : QString());
    tile->getMeasureText()->setMeasureValue(assigned ? texts.at(2) : QString());
    tile->getMeasureText()->setMeasureUnit(assigned ? texts.at(3) : QString());
    tile->getMeasureText()->setMeasureStatus(status);
}

void UserMenu::setDisplayWidget(int row, int column, TableCell cell)
{
    auto* tile = new ZUserMenuWidget();
    showTile(tile, cell);
    shownGridMenu = util->getCurrentMenu();
    getTable()->insertCellWidget(tile, cell, row, column);
    if (!tile->parent()) {
        delete tile;   // outside the table: not placed
        return;
    }
    // The table disables a cell widget without rights; a tile takes no input
    // anyway (taps pass through it to the table), and enabled it keeps the
    // colours of its texts.
    tile->setEnabled(true);
    const int height = rowHeight(row);
    if (height > 0)
        getTable()->setRowHeight(row, height);
}

void UserMenu::selectShownValue(int row, int column)
{
    // One dialog at a time: a second tap before it shows opens none.
    disconnectSelectValueDialog();
    if (selectDialog || row < 0 || column < 0)
        return;
    const int cellIndex = row * getTable()->columnCount() + column;
    selectDialog = new UserMenuSelectValueDialog(util, cellIndex, dialogParent());
    selectDialog->loadChannels();
    selectDialog->setAttribute(Qt::WA_DeleteOnClose);
    closeOnLogout(selectDialog);
    // Cleared first, so that the restored connection sees the dialog gone.
    connect(selectDialog, &QObject::destroyed, this, [this]() { selectDialog = nullptr; });
    connect(selectDialog, &QObject::destroyed, this, &UserMenu::connectSelectValueDialog);
}

void UserMenu::disconnectSelectValueDialog()
{
    disconnect(getTable(), &TableObject::cellClicked, this, &UserMenu::selectShownValue);
}

void UserMenu::connectSelectValueDialog()
{
    // Only for the grid, and not while a cell dialog is open (a refresh rebuilds the grid meanwhile).
    if (showingMenuList || selectDialog)
        return;
    connect(getTable(), &TableObject::cellClicked, this, &UserMenu::selectShownValue, Qt::UniqueConnection);
}

// -------------------------------------------------------------- refresh

void UserMenu::getUserMenu()
{
    if (!showingMenuList)
        util->getUserMenu(util->getCurrentMenu());
}

void UserMenu::startTimer()
{
    if (!refreshTimer->isActive())
        refreshTimer->start(REFRESH_DELAY_MS);
}

// --------------------------------------------------------------- events

void UserMenu::resizeEvent(QResizeEvent* event)
{
    if (cellsPerRowForWidth() != cellsPerRow) {
        updateColumnCount();
        if (!showingMenuList) {
            applyTableStyle(util->getTableStyle(util->getCurrentMenu()));
            util->getUserMenu(util->getCurrentMenu());
        }
    }
    QWidget::resizeEvent(event);
}

void UserMenu::showEvent(QShowEvent* event)
{
    connect(util, &UserMenuUtil::updateChannelData, this, &UserMenu::startTimer, Qt::UniqueConnection);
    if (MainWindow* mainWindow = getMainWindow())
        connect(mainWindow, &MainWindow::updateAppActive, this, &UserMenu::startTimer, Qt::UniqueConnection);
    QWidget::showEvent(event);
    // Back on the tab: the list, not the menu last open. A window shown
    // again by the system (restored) keeps what it showed.
    if (!event->spontaneous())
        init();
}

void UserMenu::hideEvent(QHideEvent* event)
{
    disconnect(util, &UserMenuUtil::updateChannelData, this, &UserMenu::startTimer);
    if (MainWindow* mainWindow = getMainWindow())
        disconnect(mainWindow, &MainWindow::updateAppActive, this, &UserMenu::startTimer);
    QWidget::hideEvent(event);
}
