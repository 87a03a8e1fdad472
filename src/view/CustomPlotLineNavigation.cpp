// View modes, axis updates and mouse navigation of the line chart.
#include "view/CustomPlotLine.h"

#include "util/CustomPlotLineUtil.h"
#include "widgets/LockedGraph.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QtDebug>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

// Times the x axis may show, in seconds since the epoch, and the narrowest
// and widest spans: beyond them a drag or zoom is not taken.
const double EARLIEST_TIME_S = 0.0;
const double LATEST_TIME_S = 32503680000.0;   // the year 3000
const double MIN_SPAN_S = 0.001;
// A stored recording without a stop after its start is shown over this span.
const qint64 MIN_RECORDING_MS = 10000;
// One wheel notch (120) zooms in by 15 %.
const double ZOOM_PER_NOTCH = 0.85;
const double FOLLOW_MARGIN = 0.05;
const double RESCALE_MARGIN = 0.01;

} // namespace

void CustomPlotLine::setViewMode(int mode)
{
    viewMode = mode;
    QPen pen;
    if (mode == 0) {
        setInteractions(QCP::iRangeDrag | QCP::iRangeZoom | QCP::iSelectAxes);
        pen = manualAxisPen;
    } else {
        setInteractions(QCP::Interactions());
        deselectAll();
        pen = autoAxisPen;
    }
    for (QCPAxis* axis : {xAxis, yAxis, xAxis2, yAxis2}) {
        axis->setBasePen(pen);
        axis->setTickPen(pen);
        axis->setSubTickPen(pen);
    }
    update();
    updateAxes();
    queueReplot();
}

void CustomPlotLine::updateAxes()
{
    if (viewMode == 2) {
        rescaleAxis(xAxis);
        rescaleAxis(yAxis);
        rescaleAxis(yAxis2);
    } else if (viewMode == 1) {
        double newest = 0.0;
        for (int index = 0; index < graphCount(); ++index) {
            LockedGraph* graph = lockedGraph(index);
            double key = 0.0;
            if (graph && graph->visible() && graph->lastKey(key))
                newest = std::max(newest, key);
        }
        if (newest > 0.0) {
            const double span = xAxis->range().size();
            const double upper = newest + FOLLOW_MARGIN * span;
            setTimeRange(QCPRange(upper - span, upper));
        }
    }
}

void CustomPlotLine::rescaleAxis(QCPAxis* axis)
{
    if (axis == xAxis) {
        xAxis->rescale(true);
        return;
    }
    // The range always holds 0.
    double lowest = 0.0;
    double highest = 0.0;
    bool moved = false;
    for (QCPGraph* graph : axis->graphs()) {
        auto* locked = dynamic_cast<LockedGraph*>(graph);
        double low = 0.0;
        double high = 0.0;
        if (!locked || !locked->visible() || !locked->valueRange(low, high))
            continue;
        if (high > highest) {
            highest = high;
            moved = true;
        }
        if (low < lowest) {
            lowest = low;
            moved = true;
        }
    }
    if (!moved)
        return;
    const double margin = RESCALE_MARGIN * (highest - lowest);
    setValueRange(axis, QCPRange(lowest - margin, highest + margin));
}

QList<QCPAxis*> CustomPlotLine::gestureValueAxes()
{
    if (yAxis->selectedParts() != QCPAxis::spNone)
        return {yAxis};
    if (yAxis2->selectedParts() != QCPAxis::spNone)
        return {yAxis2};
    return {yAxis, yAxis2};
}

bool CustomPlotLine::setTimeRange(const QCPRange& range)
{
    if (!std::isfinite(range.lower) || !std::isfinite(range.upper) || range.lower < EARLIEST_TIME_S
        || range.upper > LATEST_TIME_S || range.size() < MIN_SPAN_S)
        return false;
    xAxis->setRange(range);
    return true;
}

bool CustomPlotLine::setValueRange(QCPAxis* axis, const QCPRange& range)
{
    if (QCPRange::validRange(range)) {
        axis->setRange(range);
        valueRangeRefusalLogged = false;
        return true;
    }
    // Once per run of refusals: a drag refused at every move would flood the log.
    if (!valueRangeRefusalLogged) {
        valueRangeRefusalLogged = true;
        qWarning().noquote() << QStringLiteral("Chart: %1 value axis range %2 to %3 refused, QCustomPlot cannot show "
                                               "it; the range stays")
                                    .arg(axis == yAxis2 ? QStringLiteral("right") : QStringLiteral("left"))
                                    .arg(range.lower, 0, 'g', 6)
                                    .arg(range.upper, 0, 'g', 6);
    }
    return false;
}

void CustomPlotLine::customMousePress(QMouseEvent* event)
{
    const QPoint position = event->pos();
    pressX = xAxis->pixelToCoord(position.x());
    pressY = yAxis->pixelToCoord(position.y());
    pressY2 = yAxis2->pixelToCoord(position.y());
    dragging = true;
    dragMoved = false;
    pressLower = xAxis->range().lower;
    pressUpper = xAxis->range().upper;
}

void CustomPlotLine::customMouseMove(QMouseEvent* event)
{
    if (!dragging || !interactions().testFlag(QCP::iRangeDrag))
        return;
    const QPoint position = event->pos();
    const double shift = pressX - xAxis->pixelToCoord(position.x());
    if (shift != 0.0 && setTimeRange(QCPRange(xAxis->range().lower + shift, xAxis->range().upper + shift)))
        dragMoved = true;
    for (QCPAxis* axis : gestureValueAxes()) {
        const double press = axis == yAxis ? pressY : pressY2;
        const double valueShift = press - axis->pixelToCoord(position.y());
        const QCPRange range(axis->range().lower + valueShift, axis->range().upper + valueShift);
        if (valueShift != 0.0 && setValueRange(axis, range))
            dragMoved = true;
    }
    updateAxes();
    queueReplot();
}

void CustomPlotLine::customMouseRelease(QMouseEvent* event)
{
    Q_UNUSED(event)
    const bool wasDragged = dragging && dragMoved;
    dragging = false;
    dragMoved = false;
    // A click, or the release that ends a double click, asks for nothing.
    if (!wasDragged)
        return;
    const QCPRange range = xAxis->range();
    if (range.lower == pressLower || range.upper == pressUpper)
        return;
    const int direction = range.lower < pressLower && range.upper < pressUpper ? 1 : 0;
    requestHistWindow(range.lower, range.upper, false, direction);
}

void CustomPlotLine::customMouseWheel(QWheelEvent* event)
{
    if (!interactions().testFlag(QCP::iRangeZoom))
        return;
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    const double factor = std::pow(ZOOM_PER_NOTCH, delta / 120.0);
    const QPointF position = event->posF();
    QCPRange time = xAxis->range();
    const double center = xAxis->pixelToCoord(position.x());
    time = QCPRange((time.lower - center) * factor + center, (time.upper - center) * factor + center);
    setTimeRange(time);
    for (QCPAxis* axis : gestureValueAxes()) {
        const double valueCenter = axis->pixelToCoord(position.y());
        const QCPRange range((axis->range().lower - valueCenter) * factor + valueCenter,
                             (axis->range().upper - valueCenter) * factor + valueCenter);
        setValueRange(axis, range);
    }
    updateAxes();
    queueReplot();
    requestHistWindow(xAxis->range().lower, xAxis->range().upper, false, 0);
}

void CustomPlotLine::mouseDoubleClickEvent(QMouseEvent* event)
{
    QCustomPlot::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    resetView();
    updateAxes();
    queueReplot();
}

void CustomPlotLine::resetView()
{
    if (viewMode != 0)
        return;
    if (histMeasure == 1) {
        bool rescale = true;
        showWholeMeasure(100.0, rescale);
        return;
    }
    rescaleAxis(xAxis);
    for (QCPAxis* axis : gestureValueAxes())
        rescaleAxis(axis);
}

qint64 CustomPlotLine::shownStopMs() const
{
    const qint64 start = shownMeasure.getStart();
    return shownMeasure.getStop() > start ? shownMeasure.getStop() : start + MIN_RECORDING_MS;
}

void CustomPlotLine::showWholeMeasure(double percent, bool& rescale)
{
    const double start = shownMeasure.getStart() / 1000.0;
    const double stop = shownStopMs() / 1000.0;
    const double span = (stop - start) * percent / 100.0;
    setTimeRange(QCPRange(start - 0.01 * span, start + 1.01 * span));
    updateAxes();
    queueReplot();
    requestHistWindow(xAxis->range().lower, xAxis->range().upper, rescale, 0);
}

void CustomPlotLine::requestHistWindow(const double& lower, const double& upper, const bool& rescale, int direction)
{
    if (histMeasure != 1)
        return;
    rescaleOnHistData = rescale;
    // The axis keeps its range within [EARLIEST_TIME_S, LATEST_TIME_S]; clamp anyway before converting.
    const qint64 lowMs = static_cast<qint64>(qBound(EARLIEST_TIME_S, lower, LATEST_TIME_S) * 1000.0);
    const qint64 upMs = static_cast<qint64>(qBound(EARLIEST_TIME_S, upper, LATEST_TIME_S) * 1000.0);
    const qint64 start = shownMeasure.getStart();
    const qint64 stop = shownStopMs();
    if ((start > lowMs && start > upMs) || (stop < lowMs && stop < upMs))
        return;
    util->requestHistData(shownMeasure.getId(), lowMs, upMs, direction);
}

void CustomPlotLine::checkHistAndRescale(GlobalEnums::GraphTelegramAttribute attribute)
{
    const bool windowBlock =
        attribute == GlobalEnums::HIST_WINDOW_FIRST || attribute == GlobalEnums::HIST_WINDOW_NEXT;
    // Live blocks never move a range the user chose.
    if (!windowBlock || viewMode != 0 || !rescaleOnHistData || histMeasure != 1)
        return;
    rescaleAxis(yAxis);
    rescaleAxis(yAxis2);
}

// ---- events ---------------------------------------------------------------

void CustomPlotLine::resizeEvent(QResizeEvent* event)
{
    placeShortCutButton();
    QCustomPlot::resizeEvent(event);
    emit resized();
}

void CustomPlotLine::showEvent(QShowEvent* event)
{
    QCustomPlot::showEvent(event);
    QMetaObject::invokeMethod(this, "calcXTickCount", Qt::QueuedConnection);
}
