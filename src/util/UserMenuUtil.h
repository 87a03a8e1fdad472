#pragma once

#include "common/GlobalEnums.h"
#include "common/TableCell.h"
#include "common/TableStructure.h"
#include "util/OverallUtil.h"

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVector>

class CommonJSONUtil;
class MeasureDisplayUtil;
namespace Json {
class Value;
}

// Keeps the user menus: named grids of cells, each showing one measured
// value of one channel. Owns the user-menu file (read once, rewritten whole
// after every change), builds the menu list and a menu's grid for the
// user-menu screen, reads the cells' values from the mirror and tells the
// screen when a shown value may have changed. GUI thread only.
//
// The lists hold only the menus and cells that are complete; anything else
// in the file is kept there untouched but not shown. List positions (what
// the signals and the screen use) are mapped to the menus' places in the
// file here. Every change is one write of the whole file; a change that
// cannot be written is dropped, so the lists always show what the file holds.
class UserMenuUtil : public OverallUtil
{
    Q_OBJECT

public:
    // A menu's template: the number of cells and the heights of its rows.
    enum TableStyle : int { STYLE_TWELVE = 0, STYLE_TEN = 1, STYLE_EIGHT = 2 };
    Q_ENUM(TableStyle)

    explicit UserMenuUtil(QObject* parent = nullptr);
    ~UserMenuUtil() override;

    // Reloads the in-memory lists from the document.
    void getJsonPath();
    // Builds the menu list; emits updateMenuList.
    void getMenuList();
    // Builds the grid of menu index; emits updateUserMenu.
    void getUserMenu(const int& index);
    TableCell getTableCell(const int& cellPos);
    void addUserMenu(QString name, UserMenuUtil::TableStyle style);
    // index is a position of the shown menu list.
    void deleteUserMenu(const int& index);
    // Assign or clear the cell at grid position cellIndex of the current menu.
    void setCell(int cellIndex, QString channelPath, QString valueWay);
    void clearCell(int cellIndex);
    UserMenuUtil::TableStyle getTableStyle(int index);
    int getCurrentMenu();
    UserMenuUtil::TableStyle getCurrentTableStyle();
    void setColumnCount(int count);
    void setRowCount(int count);
    QString getValuePath(const int& cellPos, const QString& key);
    QString getCellChannelPath(int cellIndex);
    QString getCellValueWay(int cellIndex);

signals:
    void updateMenuList(TableStructure& table);
    void updateUserMenu(TableStructure& table);
    void updateAddSelectDialog(QStringList& channelNames, QStringList& channelPaths, QStringList& valueNames,
                               QStringList& valueWays);
    void updateChannelData();
    void updateActiveChannels();
    void openMenu(int index, UserMenuUtil::TableStyle style);

public slots:
    void jsonTelegramm(GlobalEnums::InstructionType type, QString path);
    void afterJsonTelegramm();
    void beforeJsonTelegramm();
    // Gathers the cell dialog's choices; answers with updateAddSelectDialog.
    void getActiveChannels();

private:
    // Reads the file; a damaged one is moved aside (or, failing that, left
    // alone with every change refused). A missing file is not created here.
    void openFile();
    bool moveFileAside(QString& backupPath);
    // Writes root as the new file and makes it the document; false (the
    // document unchanged, the user told) when it cannot be written.
    bool commitDocument(const Json::Value& root);
    void reportNotSaved();
    // Replaces the current menu's cell objects with IDX cellIndex by newCell
    // (none: removes them) and commits; false when nothing was written.
    bool replaceCell(int cellIndex, const Json::Value* newCell);
    // The display worker's channel list has arrived: completes the choices.
    void deliverChoices();
    static bool isDefinitePath(const QString& path);
    static bool isMemberWay(const QString& way);

    QString filePath;
    QString updatePath;
    int currentMenu = 0;
    bool menuShown = false;
    QVector<QVector<QString>> cellChannelPaths;
    QVector<QString> valuePaths;
    QVector<QVector<QString>> cellValueWays;
    QVector<QVector<int>> cellIndices;
    QVector<int> tableStyles;
    QVector<QString> menuNames;
    bool valuesChanged = false;
    bool channelsChanged = false;
    CommonJSONUtil* menuFile = nullptr;   // owned, never null after construction
    int columnCount = 0;
    int rowCount = 0;

    QVector<int> menuArrayIndices;        // per listed menu: its index in "MENU"
    bool changesRefused = false;          // the file could be neither read nor moved aside
    QString unreportedBackup;             // file name of a backup the status bar has not shown yet
    int reportedSkips = 0;                // incomplete entries last logged
    MeasureDisplayUtil* choicesSource = nullptr;   // owned; the channel list under way
};

Q_DECLARE_METATYPE(UserMenuUtil::TableStyle)
