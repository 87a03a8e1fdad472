#include "view/UserMenuSelectValueDialog.h"
#include "ui_UserMenuSelectValueDialog.h"

#include "util/Language.h"
#include "util/UserMenuUtil.h"
#include "view/MainWindow.h"

#include <QTimer>

namespace {

const int HEADER_INSET = 10;

// Fills box with entries and selects wanted when it is one of them (else the first entry).
void refill(QComboBox* box, const QStringList& entries, const QString& wanted)
{
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i);
    if (shown == entries && box->currentIndex() >= 0 && box->currentText() == wanted)
        return;   // unchanged: also the right one of two equal names stays chosen
    if (shown != entries) {
        box->clear();
        box->addItems(entries);
    }
    const int index = entries.indexOf(wanted);
    box->setCurrentIndex(index >= 0 ? index : (entries.isEmpty() ? -1 : 0));
}

} // namespace

UserMenuSelectValueDialog::UserMenuSelectValueDialog(UserMenuUtil* menuUtil, int cell, QWidget* parent)
    : ZDialog(parent),
      OverallView(),
      ui(new Ui::UserMenuSelectValueDialog),
      util(menuUtil),
      refreshTimer(nullptr),
      cellIndex(cell)
{
    ui->setupUi(this);
    // The header runs across the panel, its text in line with the fields below.
    ui->lblUserMenuSelectHeader->setContentsMargins(HEADER_INSET, 0, HEADER_INSET, 0);
    refreshTimer = new QTimer(this);
    refreshTimer->setSingleShot(true);
    retranslate();
    language->update(this);

    if (util) {
        connect(util, &UserMenuUtil::updateChannelData, this, &UserMenuSelectValueDialog::startTimer);
        connect(util, &UserMenuUtil::updateAddSelectDialog, this, &UserMenuSelectValueDialog::setComboBox);
        connect(refreshTimer, &QTimer::timeout, util, &UserMenuUtil::getActiveChannels);
    }
    connect(ui->btnUserMenuSelectSet, &QPushButton::clicked, this, &UserMenuSelectValueDialog::addCell);
    connect(ui->btnUserMenuSelectClear, &QPushButton::clicked, this, &UserMenuSelectValueDialog::clearCell);
    connect(ui->btnUserMenuSelectClose, &QPushButton::clicked, this, &UserMenuSelectValueDialog::closeMenu);
    if (auto* mainWindow = qobject_cast<MainWindow*>(parent))
        connect(mainWindow, &MainWindow::updateAppActive, this, &UserMenuSelectValueDialog::close);
    show();
}

UserMenuSelectValueDialog::~UserMenuSelectValueDialog()
{
    delete ui;
}

void UserMenuSelectValueDialog::retranslate()
{
    setTranslatable(ui->lblUserMenuSelectHeader, 786, QStringLiteral("Zelle zuweisen"));
    setTranslatable(ui->lblUserMenuSelectChannel, 905, QStringLiteral("Kanal"));
    setTranslatable(ui->lblUserMenuSelectValue, 220, QStringLiteral("Messwert"));
    setTranslatable(ui->btnUserMenuSelectClear, 904, QStringLiteral("Zelle leeren"));
    setTranslatable(ui->btnUserMenuSelectSet, 906, QStringLiteral("Zelle setzen"));
    setTranslatable(ui->btnUserMenuSelectClose, 302, QStringLiteral("Abbrechen"));
}

void UserMenuSelectValueDialog::loadChannels()
{
    if (util)
        util->getActiveChannels();
}

void UserMenuSelectValueDialog::startTimer()
{
    if (!refreshTimer->isActive())
        refreshTimer->start(REFRESH_DELAY_MS);
}

void UserMenuSelectValueDialog::setComboBox(QStringList& channelNames, QStringList& newChannelPaths,
                                            QStringList& valueNames, QStringList& newValueWays)
{
    if (channelNames.size() != newChannelPaths.size() || valueNames.size() != newValueWays.size()) {
        qWarning("User-menu cell dialog: %d channel names for %d paths, %d value names for %d ways; "
                 "the choices stay as they were.",
                 int(channelNames.size()), int(newChannelPaths.size()), int(valueNames.size()),
                 int(newValueWays.size()));
        return;
    }
    ZComboBox* channelBox = ui->cmbUserMenuSelectChannel;
    ZComboBox* valueBox = ui->cmbUserMenuSelectValue;
    channelPaths = newChannelPaths;
    valueWays = newValueWays;

    // A refresh keeps the user's choice; the first fill shows the tile's assignment.
    QString channelText;
    QString valueText;
    if (channelBox->count() > 0 && valueBox->count() > 0) {
        channelText = channelBox->currentText();
        valueText = valueBox->currentText();
    } else if (util) {
        const int channelAt = channelPaths.indexOf(util->getCellChannelPath(cellIndex));
        if (channelAt >= 0)
            channelText = channelNames.at(channelAt);
        const int valueAt = valueWays.indexOf(util->getCellValueWay(cellIndex));
        if (valueAt >= 0)
            valueText = valueNames.at(valueAt);
    }
    refill(channelBox, channelNames, channelText);
    refill(valueBox, valueNames, valueText);
}

void UserMenuSelectValueDialog::addCell(bool checked)
{
    Q_UNUSED(checked)
    const int channel = ui->cmbUserMenuSelectChannel->currentIndex();
    const int value = ui->cmbUserMenuSelectValue->currentIndex();
    if (!util || channelPaths.isEmpty() || valueWays.isEmpty()) {
        qInfo("User-menu cell %d: no channel or value to choose from; nothing is stored.", cellIndex);
    } else if (channel < 0 || channel >= channelPaths.size() || value < 0 || value >= valueWays.size()) {
        qWarning("User-menu cell %d: choice %d/%d lies outside %d channels and %d values; nothing is stored.",
                 cellIndex, channel, value, int(channelPaths.size()), int(valueWays.size()));
    } else {
        util->setCell(cellIndex, channelPaths.at(channel), valueWays.at(value));
    }
    close();
}

void UserMenuSelectValueDialog::clearCell(bool checked)
{
    Q_UNUSED(checked)
    if (util)
        util->clearCell(cellIndex);
    close();
}

void UserMenuSelectValueDialog::closeMenu(bool checked)
{
    Q_UNUSED(checked)
    close();
}
