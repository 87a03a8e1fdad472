#include "view/PlotlineShortCut.h"
#include "ui_PlotlineShortCut.h"

#include "util/Language.h"
#include "view/CustomPlotLine.h"
#include "widgets/TevaroResources.h"

namespace {

const int MODE_MANUAL = 0;
const int MODE_AUTO = 1;
const int MODE_COMPLETE = 2;
const int PANEL_WIDTH = 240;

QIcon sideButton(const char* name, const char* state)
{
    return QIcon(QStringLiteral(":/pic/icon/icon_sidebar-button_%1_80x39_%2_V1.0.png")
                     .arg(QLatin1String(name), QLatin1String(state)));
}

} // namespace

PlotlineShortCut::PlotlineShortCut(CustomPlotLine* chart, QWidget* parent)
    : QWidget(parent), OverallView(), ui(new Ui::PlotlineShortCut), plot(chart)
{
    ensureTevaroResources();
    ui->setupUi(this);
    // A column beside the chart: the chart keeps the rest of the width.
    setFixedWidth(qMax(minimumWidth(), PANEL_WIDTH));
    manualSelected = sideButton("manuell", "orange");
    manualIdle = sideButton("manuell", "grau");
    autoSelected = sideButton("auto", "orange");
    autoIdle = sideButton("auto", "grau");
    completeSelected = sideButton("gesamte-messung", "orange");
    completeIdle = sideButton("gesamte-messung", "grau");

    setTranslatable(ui->lblPlotlineShortCutMode, 666, QStringLiteral("Skalierung"));
    setTranslatable(ui->tbtnPlotlineShortCutManual, 70, QStringLiteral("Manuell"));
    setTranslatable(ui->tbtnPlotlineShortCutAuto, 865, QStringLiteral("Auto"));
    setTranslatable(ui->tbtnPlotlineShortCutComplete, 866, QStringLiteral("Gesamte Messung"));
    setTranslatable(ui->tbtnPlotlineShortCutActual, 788, QStringLiteral("Zurück"));
    setTranslatable(ui->lblPlotlineShortCutLegend, 880, QStringLiteral("Legende"));
    setTranslatable(ui->lblPlotlineShortCutLegendOnOff, 863, QStringLiteral("Ein/Aus"));
    setTranslatable(ui->lblPlotlineShortCutMeasureType, 864, QStringLiteral("Messwertspeicher"));
    setTranslatable(ui->lblPlotlineShortCutHist, 862, QStringLiteral("Messung laden"));
    setTranslatable(ui->tbtnPlotlineShortCutHist, 862, QStringLiteral("Messung laden"));
    language->update(this);

    connect(ui->btnPlotlineShortCutLegendOnOff, SIGNAL(changeCheckStatus(bool)), this, SLOT(changeLegendStatus(bool)));
    connect(ui->tbtnPlotlineShortCutAuto, SIGNAL(clicked()), this, SLOT(clickModeAuto()));
    connect(ui->tbtnPlotlineShortCutComplete, SIGNAL(clicked()), this, SLOT(clickModeComplete()));
    connect(ui->tbtnPlotlineShortCutManual, SIGNAL(clicked()), this, SLOT(clickModeManual()));
    connect(ui->tbtnPlotlineShortCutHist, SIGNAL(clicked()), this, SLOT(getHistRecords()));
    connect(ui->tbtnPlotlineShortCutActual, SIGNAL(clicked()), this, SLOT(setActualMeasure()));
}

PlotlineShortCut::~PlotlineShortCut()
{
    delete ui;
}

void PlotlineShortCut::clickModeManual()
{
    setViewMode(MODE_MANUAL);
}

void PlotlineShortCut::clickModeAuto()
{
    setViewMode(MODE_AUTO);
}

void PlotlineShortCut::clickModeComplete()
{
    setViewMode(MODE_COMPLETE);
}

void PlotlineShortCut::setViewMode(int mode)
{
    if (mode >= MODE_MANUAL && mode <= MODE_COMPLETE) {
        ui->tbtnPlotlineShortCutManual->setIcon(mode == MODE_MANUAL ? manualSelected : manualIdle);
        ui->tbtnPlotlineShortCutAuto->setIcon(mode == MODE_AUTO ? autoSelected : autoIdle);
        ui->tbtnPlotlineShortCutComplete->setIcon(mode == MODE_COMPLETE ? completeSelected : completeIdle);
    }
    if (plot)
        plot->setViewMode(mode);
}

void PlotlineShortCut::changeLegendStatus(bool on)
{
    if (plot)
        plot->setLegendVisible(on);
}

void PlotlineShortCut::getHistRecords()
{
    if (plot)
        plot->showHistMeasureList();
}

void PlotlineShortCut::setActualMeasure()
{
    setHistMeasureMode(0);
    setViewMode(MODE_COMPLETE);
}

void PlotlineShortCut::setHistMeasureMode(int mode)
{
    if (mode == 1 || mode == 0) {
        const bool stored = mode == 1;
        ui->tbtnPlotlineShortCutActual->setVisible(stored);
        ui->tbtnPlotlineShortCutManual->setEnabled(!stored);
        ui->tbtnPlotlineShortCutAuto->setEnabled(!stored);
        ui->tbtnPlotlineShortCutComplete->setEnabled(!stored);
    }
    if (plot)
        plot->setHistMeasure(mode);
}

void PlotlineShortCut::setLegendCheck(bool on)
{
    ui->btnPlotlineShortCutLegendOnOff->setCheckStatus(on);
}
