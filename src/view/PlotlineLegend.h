#pragma once

#include <QColor>
#include <QMap>
#include <QScrollArea>
#include <QString>

class SizeHintWidget;

// The line chart's floating legend: a strip across the top of the chart,
// the graphs of the left value axis at its left end and those of the right
// axis at its right end, each a colour bar and a name. Entries are kept per
// side by name, sorted; they show after rebuild(). The strip follows the
// chart's width (it watches its parent's resizes) and scrolls sideways when
// the names do not fit.
class PlotlineLegend : public QScrollArea
{
    Q_OBJECT

public:
    PlotlineLegend(QWidget* parent, int marginLeft, int marginTop, int marginRight, int groupGap);

    // axis 0 left, 1 right, anything else is ignored; a name already on that side gets the new colour.
    void addItem(const QString& name, const QColor& color, int axis);
    void clear();
    // Shows the entries added since the last rebuild.
    void rebuild();

    const QMap<QString, QColor>& getLeftItems() const { return leftItems; }
    const QMap<QString, QColor>& getRightItems() const { return rightItems; }
    QWidget* getLeftGroup() const { return leftGroup; }
    QWidget* getRightGroup() const { return rightGroup; }
    QWidget* getContent() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void clearRows();
    // Across the parent, inside the margins.
    void place();
    // Left group at the left edge, right group against the right edge, apart by at least the gap.
    void layoutContent();
    // One row per item, in a group of its own that owns the row widgets.
    static QWidget* buildGroup(QWidget* parent, const QMap<QString, QColor>& items);

    // Named apart from QWidget::width(): the width of the last resize, -1 before it.
    int shownWidth;
    QMap<QString, QColor> leftItems;
    QMap<QString, QColor> rightItems;
    int marginLeft;
    int marginTop;
    int marginRight;
    int groupGap;
    SizeHintWidget* content;
    QWidget* leftGroup;
    QWidget* rightGroup;
};
