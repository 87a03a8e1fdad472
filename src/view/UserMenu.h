#pragma once

#include "common/TableCell.h"
#include "common/TableStructure.h"
#include "util/UserMenuUtil.h"
#include "view/OverallView.h"

#include <QWidget>

class QTimer;
class TableObject;
class UserMenuSelectValueDialog;
class ZUserMenuWidget;

namespace Ui {
class UserMenu;
}

// The user menus, fourth tab of the measurement screen. It shows either the
// list of menus (a name and a trash picture per row, "Add" in the header) or
// the tiles of one menu, one or two per row depending on the width, each
// showing a channel's value. A tap on a name opens the menu, on the trash
// picture deletes it at once, on a tile opens the dialog that assigns or
// clears the tile. Menus and their file belong to UserMenuUtil; every change
// comes back from it as a new table.
//
// While shown, a changed value rebuilds the tiles after REFRESH_DELAY_MS, so
// a burst of changes costs one rebuild. Becoming visible always shows the list.
class UserMenu : public QWidget, public OverallView
{
    Q_OBJECT

public:
    static constexpr int REFRESH_DELAY_MS = 200;
    // Width one column of tiles needs.
    static constexpr int CELL_WIDTH = 400;
    static constexpr int MAX_CELLS_PER_ROW = 2;

    explicit UserMenu(QWidget* parent = nullptr);
    ~UserMenu() override;

    // From a shown menu back to the list of menus: true when it went back.
    bool goBack();
    // Empties the shown table.
    void clearTable();

    bool isShowingMenuList() const { return showingMenuList; }
    int getCellsPerRow() const { return cellsPerRow; }
    int getRowCount() const { return rowCount; }
    UserMenuUtil* getUtil() const { return util; }
    TableObject* getTable() const;
    // The open cell dialog, or null.
    UserMenuSelectValueDialog* getSelectValueDialog() const { return selectDialog; }

public slots:
    void setMenuList(TableStructure& table);
    void setUserMenu(TableStructure& table);
    void openAddDialog(bool checked);
    void deleteSetUserMenu(int row, int column);
    void selectShownValue(int row, int column);
    void getUserMenu();
    void startTimer();
    void init();
    void setDisplayWidget(int row, int column, TableCell cell);
    void getUserMenu(int index, UserMenuUtil::TableStyle style);
    void disconnectSelectValueDialog();
    void connectSelectValueDialog();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void applyTableStyle(UserMenuUtil::TableStyle style);
    void updateColumnCount();
    void setMenuListHeader();
    // Tiles side by side at the present width: one or two.
    int cellsPerRowForWidth() const;
    // Pixel height of grid row row of the current menu; 0 when its style sets none.
    int rowHeight(int row) const;
    // The window the dialogs cover.
    QWidget* dialogParent();
    // Updates the tiles of the grid shown when table has its menu and shape;
    // false when the grid must be built anew.
    bool refreshTilesInPlace(TableStructure& table);
    void showTile(ZUserMenuWidget* tile, const TableCell& cell);

    Ui::UserMenu* ui;
    bool showingMenuList;
    UserMenuUtil* util;
    QTimer* refreshTimer;
    int cellsPerRow;
    int rowCount;
    UserMenuSelectValueDialog* selectDialog;
    int shownGridMenu = -1;   // the menu whose tiles the table holds; -1 none
};
