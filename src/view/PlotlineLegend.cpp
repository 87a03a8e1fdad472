#include "view/PlotlineLegend.h"

#include "widgets/ColorBox.h"
#include "widgets/GestureSetupHook.h"
#include "widgets/SizeHintWidget.h"
#include "widgets/ZScrollBar.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>

namespace {
const int LEGEND_HEIGHT = 64;
const int CONTENT_HEIGHT = 44;
const int ROW_SPACING = 4;
}

PlotlineLegend::PlotlineLegend(QWidget* parent, int left, int top, int right, int gap)
    : QScrollArea(parent),
      shownWidth(-1),
      marginLeft(left),
      marginTop(top),
      marginRight(right),
      groupGap(gap),
      content(nullptr),
      leftGroup(nullptr),
      rightGroup(nullptr)
{
    content = new SizeHintWidget();
    content->setObjectName(QStringLiteral("diagramLegendContent"));
    content->setFixedHeight(LEGEND_HEIGHT);
    // A QWidget subclass paints a style-sheet background only when asked to.
    content->setAttribute(Qt::WA_StyledBackground, true);
    if (parent)
        parent->installEventFilter(this);
    setWidget(content);

    setFrameShape(QFrame::Box);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBar(new ZScrollBar(this, 0));
    setStyleSheet(QStringLiteral("QLabel{margin-right:2px;} #diagramLegendContent{background-color:white;}"));
    gestureSetupHook(this, Qt::Horizontal);

    place();
    rebuild();
}

QWidget* PlotlineLegend::getContent() const
{
    return content;
}

void PlotlineLegend::addItem(const QString& name, const QColor& color, int axis)
{
    if (axis == 0)
        leftItems.insert(name, color);
    else if (axis == 1)
        rightItems.insert(name, color);
}

void PlotlineLegend::clear()
{
    leftItems.clear();
    rightItems.clear();
    clearRows();
}

void PlotlineLegend::rebuild()
{
    clearRows();
    leftGroup = buildGroup(content, leftItems);
    rightGroup = buildGroup(content, rightItems);
    layoutContent();
}

QWidget* PlotlineLegend::buildGroup(QWidget* parent, const QMap<QString, QColor>& items)
{
    auto* group = new QWidget(parent);
    auto* layout = new QHBoxLayout(group);
    layout->setSpacing(ROW_SPACING);
    for (auto it = items.constBegin(); it != items.constEnd(); ++it) {
        auto* box = new ColorBox(it.value(), group);
        auto* label = new QLabel(it.key(), group);
        label->setTextFormat(Qt::PlainText);   // channel names come from the device
        label->setStyleSheet(QStringLiteral("background-color:white;"));
        layout->addWidget(box, 0, Qt::AlignCenter);
        layout->addWidget(label, 0, Qt::AlignCenter);
    }
    group->show();
    return group;
}

void PlotlineLegend::clearRows()
{
    // A group owns its layout and its rows.
    delete leftGroup;
    delete rightGroup;
    leftGroup = nullptr;
    rightGroup = nullptr;
}

void PlotlineLegend::place()
{
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    resize(parent->width() - marginLeft - marginRight, LEGEND_HEIGHT);
    move(marginLeft, marginTop);
}

void PlotlineLegend::layoutContent()
{
    if (!leftGroup || !rightGroup)
        return;
    const int leftWidth = leftGroup->sizeHint().width();
    const int rightWidth = rightGroup->sizeHint().width();
    content->resize(qMax(leftWidth + groupGap + rightWidth, shownWidth), CONTENT_HEIGHT);
    leftGroup->move(0, 0);
    rightGroup->move(qMax(shownWidth - rightWidth, leftWidth + groupGap), 0);
    content->updateGeometry();
}

void PlotlineLegend::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    // Called for the viewport's resizes too, after the frame's: the last one is the width that shows.
    // Kept also without rows, so the next rebuild puts the right group against this edge.
    shownWidth = event->size().width();
    if (leftGroup && rightGroup)
        layoutContent();
}

bool PlotlineLegend::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        place();
    return QScrollArea::eventFilter(watched, event);
}
