#include "view/ChannelFunctionDialog.h"
#include "ui_ChannelFunctionDialog.h"

#include "util/Language.h"
#include "util/MeasureDisplayUtil.h"
#include "view/MainWindow.h"

#include <QHeaderView>
#include <QTimer>

namespace {
const int FUNCTION_COLUMNS = 3;
const int VALUE_COLUMN = 1;
const int UNIT_COLUMN = 2;
const int FUNCTION_TABLE_STYLE = 1;   // no lines
const int CLOSE_TEXT_ID = 302;
const int CHANNEL_GONE_TEXT_ID = 1610;
}

ChannelFunctionDialog::ChannelFunctionDialog(const int& index, const QString& name, MeasureDisplayUtil* worker,
                                             QWidget* parent)
    : ZDialog(parent),
      OverallView(),
      ui(new Ui::ChannelFunctionDialog),
      util(worker),
      channelIndex(index),
      listed(false),
      shownFunction(-1),
      startDelayTimer(nullptr)
{
    ui->setupUi(this);
    setTranslatable(ui->btnFunctionDialogClose, CLOSE_TEXT_ID, QStringLiteral("Abbrechen"));
    setTranslatable(ui->lblFunctionDialogGone, CHANNEL_GONE_TEXT_ID,
                    QStringLiteral("Dieser Kanal existiert auf dem Gerät nicht mehr."));
    language->update(this);

    connect(ui->btnFunctionDialogClose, SIGNAL(clicked(bool)), this, SLOT(closeDialog(bool)));
    connect(ui->btnFunctionDialogSetFunction, SIGNAL(clicked(bool)), this, SLOT(setFunction(bool)));
    connect(table(), SIGNAL(changeValue(int,int,TableCell&)), this, SLOT(changeFunctionData(int,int,TableCell&)));
    if (util) {
        connect(util, SIGNAL(updateComboBox(QStringList&)), this, SLOT(setChannelLabel(QStringList&)));
        connect(util, SIGNAL(updateChannelData(ChannelData&,bool&)), this, SLOT(setChannelData(ChannelData&,bool&)));
        connect(util, SIGNAL(updateRights()), this, SLOT(updateFunction()));
        // No dialog of one login stays open, with its rights, for the next.
        connect(util, SIGNAL(sessionEnded()), this, SLOT(close()));

        // The dialog's channel is the one the display's box shows. The box may
        // still hold an older list than the util (a build's result arrives
        // before the box is refilled): the index counts only when the util
        // lists that very name there, else the name alone finds the channel.
        QVector<QString> paths;
        QVector<QString> names;
        util->getChannelList(paths, names);
        int at = -1;
        if (channelIndex >= 0 && channelIndex < paths.size() && names.at(channelIndex) == name)
            at = channelIndex;
        else if (!name.isEmpty() && names.count(name) == 1)
            at = names.indexOf(name);
        channelName = name;
        knownNames = names;
        if (at >= 0) {
            channelPath = paths.at(at);
            listed = true;
        }
    }
    if (MainWindow* window = getMainWindow())
        connect(window, SIGNAL(updateAppActive()), this, SLOT(close()));

    ui->lblFunctionDialogChannel->setTextFormat(Qt::PlainText);   // device text, never markup
    ui->lblFunctionDialogChannel->setText(name);
    ui->btnFunctionDialogSetFunction->setText(QString());
    ui->btnFunctionDialogSetFunction->setEnabled(false);
    table()->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    table()->setColumnCount(FUNCTION_COLUMNS);
    table()->horizontalHeader()->hide();
    table()->verticalHeader()->hide();

    show();
    startDelayTimer = new QTimer();
    startDelayTimer->setSingleShot(true);
    connect(startDelayTimer, SIGNAL(timeout()), this, SLOT(setChannel()));
    startDelayTimer->start(START_DELAY_MS);
}

ChannelFunctionDialog::~ChannelFunctionDialog()
{
    delete startDelayTimer;
    delete ui;
}

TableObject* ChannelFunctionDialog::table() const
{
    return ui->tblChannelFunctionContent;
}

void ChannelFunctionDialog::setChannel()
{
    if (!util)
        return;
    util->requestChannelList();
    if (listed)
        util->requestChannelFunctions(channelPath);
}

void ChannelFunctionDialog::updateFunction()
{
    setChannel();
}

void ChannelFunctionDialog::setChannelData(ChannelData& data, bool& loadFunctions)
{
    // Only this dialog's channel: the display's own refreshes deliver the
    // channel it shows, which after a change of the list may be another one.
    if (!util || !listed || util->getDeliveredChannelPath() != channelPath
        || util->getDeliveredChannelName() != channelName)
        return;
    if (!loadFunctions)
        return;   // carries no functions: the ones shown stay
    functionList = data.getFunctionList();
    functionTables = data.getFunctionTables();
    // The user's edit wins while it is open; then the device's values show.
    table()->refreshWhenIdle([this] { fillMenu(); });
}

void ChannelFunctionDialog::fillMenu()
{
    ZComboBox* menu = ui->cmbFunctionDialogMenu;
    QStringList names;
    for (const ChannelData::Function& function : qAsConst(functionList))
        names << function.name;
    QStringList shown;
    for (int i = 0; i < menu->count(); ++i)
        shown << menu->itemText(i);

    disconnect(menu, SIGNAL(currentIndexChanged(int)), this, SLOT(changeFunction(int)));
    int index = qMax(0, menu->currentIndex());
    if (names != shown) {
        menu->clear();
        menu->addItems(names);
        if (index >= names.size())
            index = 0;
        if (!names.isEmpty())
            menu->setCurrentIndex(index);
    }
    if (!names.isEmpty())
        connect(menu, SIGNAL(currentIndexChanged(int)), this, SLOT(changeFunction(int)));
    changeFunction(names.isEmpty() ? -1 : index);
}

void ChannelFunctionDialog::changeFunction(int index)
{
    QPushButton* trigger = ui->btnFunctionDialogSetFunction;
    if (index < 0 || index >= functionList.size() || index >= functionTables.size()) {
        // Nothing shown: no blank button that could still run the function shown before.
        shownFunction = -1;
        trigger->setText(QString());
        trigger->setEnabled(false);
        table()->clearTable();
        return;
    }
    const bool sameFunction = index == shownFunction;
    shownFunction = index;
    trigger->setText(QString(functionList.at(index).name).replace(QLatin1Char('&'), QStringLiteral("&&")));

    // A table built before a write, or one arriving while it waits, shows the
    // written value read-only until the write is let go.
    TableStructure content = functionTables.at(index);
    if (util)
        util->holdFunctionCells(content);
    QHeaderView* header = table()->horizontalHeader();
    table()->setColumnCount(FUNCTION_COLUMNS);
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->setSectionResizeMode(UNIT_COLUMN, QHeaderView::ResizeToContents);
    header->hide();
    // The same function again: only the cells that changed are rebuilt, so
    // a live refresh leaves the others (and the user's place) alone.
    if (sameFunction && table()->rowCount() == content.rowCount() && table()->getTable().getPath() == content.getPath())
        table()->refreshTableData(content);
    else
        table()->setTableData(content, false, 0);
    table()->setTableStyle(FUNCTION_TABLE_STYLE);
    table()->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
    applyListing();
}

bool ChannelFunctionDialog::tableOfChannel() const
{
    return !channelPath.isEmpty() && table()->getTable().getPath().startsWith(channelPath + QLatin1Char('.'));
}

void ChannelFunctionDialog::applyListing()
{
    // A table of the channel's former place (it moved, its functions are not
    // delivered yet) belongs to another channel now.
    const bool shown = shownFunction >= 0 && shownFunction < functionList.size() && tableOfChannel();
    // A written value stays read-only until the device confirms it or the wait is given up;
    // the function does not run meanwhile, as it would take the unconfirmed value along.
    const bool waiting = util && util->isFunctionWriteWaiting();
    ui->btnFunctionDialogSetFunction->setEnabled(listed && shown && functionList.at(shownFunction).flag && !waiting);
    table()->setInputEnabled(listed && shown && !waiting);
    ui->lblFunctionDialogGone->setVisible(!listed);
}

void ChannelFunctionDialog::setFunction(bool checked)
{
    Q_UNUSED(checked)
    if (!util || !listed || shownFunction < 0 || shownFunction >= functionList.size()
        || !functionList.at(shownFunction).flag || !tableOfChannel() || util->isFunctionWriteWaiting())
        return;
    util->triggerFunction(table()->getTable(), functionList.at(shownFunction).name);
    close();
}

void ChannelFunctionDialog::changeFunctionData(int row, int column, TableCell& cell)
{
    Q_UNUSED(cell)
    if (column != VALUE_COLUMN || !util || !listed || shownFunction < 0)
        return;
    if (!tableOfChannel()) {
        // Begun before the channel moved: it would reach the channel now at
        // its former place. Dropped; the channel's own functions are shown.
        QTimer::singleShot(0, this, [this] { table()->refreshWhenIdle([this] { fillMenu(); }); });
        return;
    }
    // Only this edit goes out; earlier ones were sent when they were made.
    TableStructure edited = table()->getTable();
    for (int r = 0; r < edited.rowCount(); ++r) {
        QVector<TableCell>& cells = edited.getRow(r);
        for (int c = 0; c < cells.size(); ++c)
            cells[c].setChanged(cells[c].isChanged() && r == row && c == column);
    }
    util->saveFunctionTable(edited);
    // The typed value shows read-only at once: on a slow link no refresh comes before the answer.
    TableStructure held = table()->getTable();
    util->holdFunctionCells(held);
    table()->refreshTableData(held);
    applyListing();
}

void ChannelFunctionDialog::setChannelLabel(QStringList& names)
{
    Q_UNUSED(names)   // the list is read with its paths, under the worker's lock
    const bool wasListed = listed;
    const QString formerName = channelName;
    const bool moved = followChannel();
    const bool renamed = channelName != formerName;
    if (renamed)
        ui->lblFunctionDialogChannel->setText(channelName);
    if (wasListed && !listed) {
        // Gone from the device: nothing of it is shown as if it were still there.
        functionList.clear();
        functionTables.clear();
        fillMenu();
    }
    if (listed != wasListed || moved)
        applyListing();
    if (listed && (moved || renamed || !wasListed))
        setChannel();   // the functions of the channel where it is now
}

bool ChannelFunctionDialog::followChannel()
{
    if (!util || channelName.isEmpty())
        return false;
    QVector<QString> paths;
    QVector<QString> names;
    util->getChannelList(paths, names);
    const QVector<QString> namesBefore = knownNames;
    knownNames = names;
    const int at = paths.indexOf(channelPath);
    if (at >= 0 && names.at(at) == channelName) {
        listed = true;
        return false;
    }
    // The channel may have moved (a channel in front of it was removed):
    // its name, when no other channel bears it, finds it again.
    if (names.count(channelName) == 1) {
        channelPath = paths.at(names.indexOf(channelName));
        listed = true;
        return true;
    }
    // Renamed where it stands: its name is gone and its place holds a name
    // no channel bore before. A name listed before belongs to a channel
    // that moved up into the place of this one, which is gone.
    if (listed && at >= 0 && names.count(channelName) == 0 && !namesBefore.contains(names.at(at))
        && names.count(names.at(at)) == 1) {
        channelName = names.at(at);
        return false;
    }
    listed = false;
    return false;
}

void ChannelFunctionDialog::closeDialog(bool checked)
{
    Q_UNUSED(checked)
    close();
}
