#include "view/ExportMeasureDialog.h"
#include "ui_ExportMeasureDialog.h"

#include "common/StorageSize.h"
#include "util/HistMeasureListUtil.h"
#include "util/Language.h"
#include "view/MainWindow.h"

#include <QPalette>
#include <QtDebug>

#include <algorithm>

namespace {

const double MINIMUM_NEEDED = 0.01;
const int HEADER_TEXT_ID = 911;
const int NO_DESTINATION_TEXT_ID = 919;
const int UNITS_NOT_COMPARABLE_TEXT_ID = 1550;

void setTextColor(QWidget* label, const QColor& color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::All, QPalette::WindowText, color);
    label->setPalette(palette);
}

} // namespace

ExportMeasureDialog::ExportMeasureDialog(QWidget* parent, const Measure& measure,
                                         const QMap<int, ExportDestination>& destinations, HistMeasureListUtil* util)
    : ZDialog(parent),
      OverallView(),
      ui(new Ui::ExportMeasureDialog),
      destinations(destinations),
      measure(measure),
      util(util)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);

    connect(ui->btnExportMeasureDialog_Cancel, &QPushButton::clicked, this, &ExportMeasureDialog::close);
    connect(ui->btnExportMeasureDialog_ExportFile, &QPushButton::clicked, this, &ExportMeasureDialog::exportMeasure);
    connect(ui->cbxExportMeasureDialog_StorageSelector, QOverload<int>::of(&QComboBox::activated), this,
            &ExportMeasureDialog::changeOfCombobox);
    if (auto* mainWindow = qobject_cast<MainWindow*>(parent))
        connect(mainWindow, &MainWindow::updateAppActive, this, &ExportMeasureDialog::close);
    closeOnLogout(this);

    setTranslatable(ui->lblExportMeasureDialog_Header, HEADER_TEXT_ID, QStringLiteral("Messung exportieren"));
    setTranslatable(ui->gbxExportMeasureDialog_Storage, 914, QStringLiteral("Speicherort"));
    setTranslatable(ui->gbxExportMeasureDialog_FilePath, 918, QStringLiteral("Dateiname und Pfad"));
    setTranslatable(ui->lblExportMeasureDialog_Storagepath, 917, QStringLiteral("Dateipfad"));
    setTranslatable(ui->lblExportMeasureDialog_Filename, 390, QStringLiteral("Dateiname"));
    setTranslatable(ui->gbxExportMeasureDialog_Memory, 896, QStringLiteral("Speicher"));
    setTranslatable(ui->lblExportMeasureDialog_MemoryFree, 915, QStringLiteral("verfügbar"));
    setTranslatable(ui->lblExportMeasureDialog_MemoryNeeded, 916, QStringLiteral("max. benötigt"));
    setTranslatable(ui->btnExportMeasureDialog_ExportFile, 920, QStringLiteral("Exportieren"));
    setTranslatable(ui->btnExportMeasureDialog_Cancel, 302, QStringLiteral("Abbrechen"));
    language->update(this);

    fill();
    show();
}

ExportMeasureDialog::~ExportMeasureDialog()
{
    delete ui;
}

void ExportMeasureDialog::fill()
{
    ui->lblExportMeasureDialog_ValueStoragepath->clear();
    ui->lblExportMeasureDialog_ValueMemoryFree->clear();
    ui->lblExportMeasureDialog_ValueMemoryNeeded->clear();
    ui->lblExportMeasureDialog_SizeCheck->hide();
    ui->lblExportMeasureDialog_Header->setText(
        language->getText(HEADER_TEXT_ID, QStringLiteral("Messung exportieren")));
    QComboBox* box = ui->cbxExportMeasureDialog_StorageSelector;
    box->clear();
    ui->lblExportMeasureDialog_ValueFilename->setText(measure.getName());

    // QMap iterates in ascending order of destination id.
    for (const ExportDestination& destination : qAsConst(destinations)) {
        if (destination.isSizeValid())
            box->addItem(language->getText(destination.getDeviceTextId(), destination.getDeviceText()),
                         destination.getId());
    }
    if (box->count() == 0) {
        // Destinations without a known free space cannot take an export either.
        box->addItem(language->getText(NO_DESTINATION_TEXT_ID, QStringLiteral("Kein Speicherort verfügbar")));
        ui->btnExportMeasureDialog_ExportFile->setEnabled(false);
        return;
    }

    const ExportDestination first = destinations.value(box->itemData(0).toInt());
    showDestination(first);
    ui->lblExportMeasureDialog_ValueMemoryNeeded->setText(
        QStringLiteral("%1 %2").arg(neededSpace(first), 0, 'f', 2).arg(measure.getUnit()));
}

void ExportMeasureDialog::changeOfCombobox(int index)
{
    const QVariant data = ui->cbxExportMeasureDialog_StorageSelector->itemData(index);
    if (data.isValid() && destinations.contains(data.toInt()))
        showDestination(destinations.value(data.toInt()));
}

double ExportMeasureDialog::neededSpace(const ExportDestination& destination) const
{
    return std::max(measure.getSize() * destination.getFactor(), MINIMUM_NEEDED);
}

void ExportMeasureDialog::showDestination(const ExportDestination& destination)
{
    ui->lblExportMeasureDialog_ValueStoragepath->setText(destination.getUncPath());
    ui->lblExportMeasureDialog_ValueMemoryFree->setText(destination.getAvailableText());

    const QString from = measure.getUnit();
    const QString to = destination.getUnit();
    double needed = 0.0;
    const bool comparable =
        StorageSize::convert(measure.getSize() * destination.getFactor(), from, to, needed);
    bool allowed = false;
    if (comparable) {
        // The minimum is one hundredth of the destination's unit, like its own display.
        allowed = destination.getAvailable() > std::max(needed, MINIMUM_NEEDED);
        ui->lblExportMeasureDialog_SizeCheck->hide();
    } else {
        qWarning().noquote() << QStringLiteral("Export of recording %1 to destination %2 refused: sizes in "
                                               "\"%3\" and \"%4\" cannot be compared")
                                    .arg(measure.getId())
                                    .arg(destination.getId())
                                    .arg(from, to);
        ui->lblExportMeasureDialog_SizeCheck->setText(
            language
                ->getText(UNITS_NOT_COMPARABLE_TEXT_ID,
                          QStringLiteral("Der Speicherbedarf kann nicht geprüft werden (Einheiten %1 / %2)."))
                .arg(from, to));
        ui->lblExportMeasureDialog_SizeCheck->show();
    }
    ui->btnExportMeasureDialog_ExportFile->setEnabled(allowed);
    setTextColor(ui->lblExportMeasureDialog_ValueMemoryFree, allowed ? Qt::black : Qt::red);
}

void ExportMeasureDialog::exportMeasure()
{
    const QVariant data = ui->cbxExportMeasureDialog_StorageSelector->currentData();
    if (util && data.isValid())
        util->exportMeasure(data.toInt(), measure.getId());
    close();
}
